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
#include "game/game_files.h"
#include "game/program.h"
#include "game/unit1.h"
#include "platform/module/module.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_dialogs.h"

namespace {

// Without a display Qt would abort with a core dump; say so in one line instead.
bool DisplayAvailable() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
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
  if (!DisplayAvailable()) {
    std::fputs("brandel2: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(brandel::kApplicationTitle);
  // Lets a Wayland desktop match the window with the installed menu entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("org.example.brandel2"));
  qtui::InstallFontSubstitutions();

  const brandel::GameFiles files =
      brandel::LocateGameFiles(module::ProgramFolder(), brandel::UserDataHome());
  brandel::PrepareRecord(files);
  qtui::QtDialogs boxes(brandel::kApplicationTitle);
  return brandel::RunProgram(boxes, files, display);
}
