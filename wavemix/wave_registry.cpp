// SPDX-License-Identifier: MIT
// The waves that are loaded now. A wave reference from a caller is looked up here before
// anything is read through it, so an unknown or already freed one is refused, not used.
#include <unordered_set>

#include "wavemix/internal.h"

namespace wavemix {
namespace {

std::unordered_set<const MixWave*>& LiveWaves() {
  static std::unordered_set<const MixWave*> waves;
  return waves;
}

}  // namespace

bool IsLiveWave(const MixWave* wave) {
  return wave != nullptr && LiveWaves().count(wave) != 0;
}

void RegisterWave(MixWave* wave) {
  if (wave != nullptr) LiveWaves().insert(wave);
}

void UnregisterWave(MixWave* wave) { LiveWaves().erase(wave); }

}  // namespace wavemix
