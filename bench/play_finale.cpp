// SPDX-License-Identifier: MIT
// play-finale [FILE.mid]: plays a MIDI file once through the game's music player (TMediaPlayer,
// on WAVEMIX_OUTPUT's output) and prints how much processor time the process spent while the
// music played. The default file is the finale beside the program, dat/1.mid. Used by
// bench/pulse_check.sh; exit status 1 when the music cannot be opened.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
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
  while (!ended) {
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("played %.1f s of music; %.2f s of processor time: %.1f %% of a core\n", wall, cpu,
              100 * cpu / wall);
  // The last notes die away before the device closes.
  const auto tail = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < tail) {
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}
