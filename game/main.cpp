// SPDX-License-Identifier: MIT
// Program entry: the application titled "ブランデル２" runs the game window until it closes.
// Without a wave output device the game does not start; WAVEMIX_OUTPUT=null plays it silently.
// Its files are found as game_files.h says: beside the program, or installed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/command_line.h"
#include "game/display_options.h"
#include "game/display_start.h"
#include "game/game_files.h"
#include "game/program.h"
#include "game/unit1.h"
#include "game/window_icon.h"
#include "platform/module/module.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/quit_signals.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

int main(int argc, char** argv) {
  brandel::CommandLine commandLine;
  brandel::DisplayRequest display;
  brandel::AddDisplayOptions(commandLine, &display);
  const brandel::CommandLine::Outcome line =
      commandLine.Parse(std::vector<std::string>(argv, argv + argc));
  if (!line.run) {
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.err.c_str(), stderr);
    return line.exitStatus;
  }
  // Before any library starts a thread of its own, so that every thread leaves these signals
  // to the handler.
  qtui::QuitSignals::Install();

  if (!brandel::DisplayNamed(line.qtPlatform, line.qtDisplay)) {
    std::fputs("brandel2: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
    return 1;
  }
  std::vector<std::string> qtArguments = line.qtArguments;
  std::string platforms =
      line.qtPlatform.empty() ? Environment("QT_QPA_PLATFORM") : line.qtPlatform;
  if (platforms.empty()) {
    platforms = brandel::PlatformsToTry(
        Environment("XDG_SESSION_TYPE"),
        Environment("XDG_CURRENT_DESKTOP") + ":" + Environment("XDG_SESSION_DESKTOP"));
    qtArguments.insert(qtArguments.begin() + 1, {"-platform", platforms});
  }
  // Qt keeps argc and argv for the application's lifetime.
  std::vector<char*> qtArgv;
  for (std::string& argument : qtArguments) qtArgv.push_back(argument.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(qtArguments.size());

  brandel::GuardQtStart(platforms);
  QApplication app(qtArgc, qtArgv.data());
  brandel::QtStarted();
  QApplication::setApplicationName(brandel::kApplicationTitle);
  // Lets a Wayland desktop match the window with the installed menu entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("org.example.brandel2"));
  QApplication::setWindowIcon(brandel::GameIcon());
  qtui::InstallFontSubstitutions();

  const brandel::GameFiles files =
      brandel::LocateGameFiles(module::ProgramFolder(), brandel::UserDataHome());
  brandel::PrepareRecord(files);
  qtui::QtDialogs boxes(brandel::kApplicationTitle);
  return brandel::RunProgram(boxes, files, display);
}
