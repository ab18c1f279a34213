// SPDX-License-Identifier: MIT
// Renders a MIDI file without an audio device, as fast as the processor allows: the same
// soundfont, synthesizer and player set-up as live playback, with the player's clock driven
// by the rendering itself. For checks of what a song sounds like, and for tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/mci/mci.h"

namespace mci {

struct OfflineRender {
  MCIERROR error = 0;  // as the open command reports it
  double sampleRate = 0;
  std::vector<std::int16_t> samples;  // interleaved stereo, left first
};

// The first `seconds` of the song from its start (silence after its end).
OfflineRender RenderMidiOffline(const std::string& path, double seconds);

}  // namespace mci
