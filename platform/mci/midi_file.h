// SPDX-License-Identifier: MIT
// Standard MIDI File scanner: checks that a file is one the sequencer can play and learns
// its timing (where the music ends, how ticks map to milliseconds). The notes themselves are
// left to FluidSynth's player.
//
// The bytes come from any file on disk: every length and offset is checked before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mci {

class MidiTiming {
 public:
  // Format 0 or 1 with ticks-per-quarter-note timing (FluidSynth plays no SMPTE timing),
  // every declared track present and well-formed. nullopt otherwise.
  static std::optional<MidiTiming> Scan(const std::uint8_t* data, std::size_t size);

  // The tick of the latest end of track: the end of the music.
  std::uint32_t LastTick() const { return lastTick_; }
  // Milliseconds from the start to a tick, through every tempo change before it.
  std::uint32_t TickToMilliseconds(std::uint32_t tick) const;
  std::uint32_t LengthMilliseconds() const { return TickToMilliseconds(lastTick_); }

 private:
  MidiTiming() = default;

  struct TempoChange {
    std::uint32_t tick;
    std::uint32_t microsecondsPerQuarter;
  };

  std::uint32_t ticksPerQuarter_ = 0;
  std::uint32_t lastTick_ = 0;
  std::vector<TempoChange> tempoMap_;  // by tick; a tempo holds until the next change
};

}  // namespace mci
