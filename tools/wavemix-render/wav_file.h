// Writes 8-bit PCM samples as a RIFF WAVE file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/waveout/wave_out.h"

namespace render {

// False when the file cannot be written completely.
bool WriteWaveFile(const std::string& path, const wo::PCMWAVEFORMAT& format,
                   const std::vector<std::uint8_t>& samples);

}  // namespace render
