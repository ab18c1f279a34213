// SPDX-License-Identifier: MIT
// The waves that are loaded now, each with the session it was loaded in. A wave reference
// from a caller is looked up here before anything is read through it, so an unknown, freed
// or foreign one is refused, not used.
#include <unordered_map>

#include "wavemix/internal.h"

namespace wavemix {
namespace {

std::unordered_map<const MixWave*, const MixSession*>& LiveWaves() {
  static std::unordered_map<const MixWave*, const MixSession*> waves;
  return waves;
}

}  // namespace

bool IsLiveWave(const MixWave* wave) {
  return wave != nullptr && LiveWaves().count(wave) != 0;
}

bool IsLiveWave(const MixWave* wave, const MixSession* session) {
  if (wave == nullptr) return false;
  const auto found = LiveWaves().find(wave);
  // Session records are never reused (AllocateHandleRecord), so a wave of an ended session
  // cannot pass for one of the next.
  return found != LiveWaves().end() && (found->second == nullptr || found->second == session);
}

void RegisterWave(MixWave* wave, const MixSession* owner) {
  if (wave != nullptr) LiveWaves()[wave] = owner;
}

void UnregisterWave(MixWave* wave) { LiveWaves().erase(wave); }

}  // namespace wavemix
