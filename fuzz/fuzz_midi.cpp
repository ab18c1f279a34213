// SPDX-License-Identifier: MIT
// The music layer's MIDI file scanner on arbitrary bytes, and the timing it learns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/mci/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<mci::MidiTiming> timing = mci::MidiTiming::Scan(data, size);
  if (!timing) return 0;
  // Time never runs backwards.
  const std::uint32_t last = timing->LastTick();
  std::uint32_t before = 0;
  for (std::uint32_t tick : {0u, last / 3, last / 2, last}) {
    const std::uint32_t ms = timing->TickToMilliseconds(tick);
    if (ms < before) std::abort();
    before = ms;
  }
  if (timing->LengthMilliseconds() != timing->TickToMilliseconds(last)) std::abort();
  return 0;
}
