// SPDX-License-Identifier: MIT
// play-presses MODE ARGS: the game's window (on Qt's offscreen platform unless QT_QPA_PLATFORM
// says otherwise, its boxes answered at once) with its sound on WAVEMIX_OUTPUT's output, and the
// assets beside the program; the play record goes to a temporary file. For bench/pulse_check.sh.
//   idle SECONDS   the title screen: after 3 s to settle, prints the process's share of a core
//                  over SECONDS
//   presses DIR    walks the story to its first battle and waits for quiet; then 8 presses of
//                  attack and magic, each after 3 s of quiet, a series of 10 at 150 ms, and 4
//                  more while the finale's music starts and plays. Prints
//                  "press T" for each (T: CLOCK_MONOTONIC seconds, taken just before the click),
//                  the process's share of a core while pressing and SDL's audio driver; writes
//                  the mixer's converted button and attack waves (8-bit, the output format) to
//                  DIR/button.raw and DIR/attack.raw.
#include <SDL2/SDL.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "game/unit1.h"
#include "platform/module/module.h"
#include "platform/qt/message_wake.h"
#include "platform/qt/scripted_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Now() {
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Runs Qt's loop (and so the mixer's pump) for ms.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The share of a core this process spends while body runs.
template <typename Body>
double CoreShare(Body body) {
  const double cpu = CpuSeconds();
  const double wall = Now();
  body();
  return 100 * (CpuSeconds() - cpu) / (Now() - wall);
}

void WriteConverted(brandel::TForm1& form, const std::string& name, const std::string& path) {
  MixWave* wave = form.WaveMix1->OpenWave(module::AssetPath(name).c_str());
  std::ofstream(path, std::ios::binary)
      .write(wave->header.lpData, static_cast<std::streamsize>(wave->header.dwBufferLength));
  form.WaveMix1->FreeWave(wave);
}

int Presses(brandel::TForm1& form, const std::string& dir) {
  WriteConverted(form, "2.wav", dir + "/button.raw");
  WriteConverted(form, "1.wav", dir + "/attack.raw");
  for (int press = 0; press < 40 && !form.kougeki->isEnabled(); ++press) {
    form.start_b->click();
    RunFor(300);
  }
  if (!form.kougeki->isEnabled()) {
    std::fprintf(stderr, "play-presses: the story never reached a battle\n");
    return 1;
  }
  RunFor(3000);
  int presses = 0;
  auto press = [&] {
    QPushButton* button = presses++ % 2 == 0 ? form.kougeki : form.magic;
    std::printf("press %.6f\n", Now());
    button->click();
  };
  const double share = CoreShare([&] {
    for (int i = 0; i < 8; ++i) {
      press();
      RunFor(3000);
    }
    for (int i = 0; i < 10; ++i) {
      press();
      RunFor(150);
    }
    RunFor(3000);
    // The finale's music starts and plays on while the effects' stream opens and closes.
    form.PlayMusic("1.mid");
    for (int i = 0; i < 4; ++i) {
      RunFor(800);
      press();
    }
    RunFor(1000);
  });
  std::printf("game while pressing: %.1f %% of a core\n", share);
  const char* driver = SDL_GetCurrentAudioDriver();
  std::printf("the game's SDL audio driver: %s\n", driver != nullptr ? driver : "none");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc != 3 || (mode != "idle" && mode != "presses")) {
    std::fprintf(stderr, "usage: %s idle SECONDS | presses DIR\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir recordFolder;
  const std::string recordPath = recordFolder.path().toStdString() + "/my.dat";
  std::ofstream(recordPath, std::ios::binary) << "check\r\n1\r\n0\r\n0\r\n0\r\n";
  brandel::GameFiles files{module::ProgramFolder(), recordPath};

  qtui::ScriptedDialogs boxes;
  qtui::MessageWake wake(boxes);
  brandel::TForm1 form(files, &boxes);
  form.show();
  int status = 0;
  if (mode == "idle") {
    RunFor(3000);
    const double share = CoreShare([&] { RunFor(std::atoi(argv[2]) * 1000); });
    std::printf("game on its title screen: %.1f %% of a core\n", share);
  } else {
    status = Presses(form, argv[2]);
  }
  std::fflush(stdout);
  return status;
}
