// SPDX-License-Identifier: MIT
// play-finale [--seconds N] [FILE.mid]: plays a MIDI file once through the game's music player
// (TMediaPlayer, on WAVEMIX_OUTPUT's output) and prints how much processor time the process spent
// while the music played. The default file is the finale beside the program, dat/1.mid; with
// --seconds the music is closed after its first N seconds. Used by bench/pulse_check.sh; exit
// status 1 when the music cannot be opened.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "music/media_player.h"
#include "platform/messages/messages.h"
#include "platform/module/module.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;  // 0: to the end
  if (argc > 2 && std::string(argv[1]) == "--seconds") {
    seconds = std::atof(argv[2]);
    argc -= 2;
    argv += 2;
  }
  const std::string path = argc > 1 ? argv[1] : module::AssetPath("dat/1.mid");
  TMediaPlayer player;
  bool ended = false;
  player.OnNotify = [&](TMediaPlayer& p) { ended = p.NotifyValue() == mci::MCI_NOTIFY_SUCCESSFUL; };
  player.SetFileName(path);
  try {
    player.Open();
  } catch (const EMCIDeviceError& error) {
    std::fprintf(stderr, "play-finale: %s: %s\n", path.c_str(), error.what());
    return 1;
  }

  std::printf("%s: %.1f s long\n", path.c_str(), player.Length() / 1000.0);
  std::fflush(stdout);
  const auto started = std::chrono::steady_clock::now();
  const double cpuBefore = CpuSeconds();
  player.Play();
  while (!ended && (seconds == 0 || std::chrono::steady_clock::now() - started <
                                        std::chrono::duration<double>(seconds))) {
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("played %.1f s of music; %.2f s of processor time: %.1f %% of a core\n", wall, cpu,
              100 * cpu / wall);
  if (seconds > 0) return 0;
  // The last notes die away before the device closes.
  const auto tail = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < tail) {
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}
