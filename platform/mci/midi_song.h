// SPDX-License-Identifier: MIT
// A MIDI file read into memory and checked: the player gets exactly the bytes that were
// checked, whatever happens to the file afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/mci/mci.h"
#include "platform/mci/midi_file.h"

namespace mci {

struct MidiSong {
  std::vector<std::uint8_t> bytes;
  MidiTiming timing;
};

// MCIERR_FILE_NOT_FOUND when the file cannot be read or is no regular file (a FIFO or device
// is never waited on), MCIERR_INVALID_FILE when it is not a standard MIDI file the sequencer
// plays (or is implausibly large for one).
MCIERROR LoadMidiSong(const std::string& path, std::optional<MidiSong>* song);

}  // namespace mci
