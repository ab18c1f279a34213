// SPDX-License-Identifier: MIT
#include "platform/mci/music_volume.h"

#include <algorithm>
#include <atomic>

namespace mci {

namespace {
std::atomic<int> volume{kFullMusicVolume};
}  // namespace

void SetMusicVolume(int percent) {
  volume.store(std::clamp(percent, 0, kFullMusicVolume), std::memory_order_relaxed);
}

int MusicVolume() {
  return volume.load(std::memory_order_relaxed);
}

}  // namespace mci
