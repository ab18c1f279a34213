// SPDX-License-Identifier: MIT
#pragma once
// Writes RIFF WAVE files with PCM data (8-bit unsigned or 16-bit signed samples).

#include <cstdint>
#include <string>
#include <vector>

struct PcmFormat {
  uint16_t channels;
  uint32_t samplesPerSec;
  uint16_t bitsPerSample;  // 8 or 16
};

// `frames` holds one float in -1..1 per channel and frame, interleaved. Samples are clipped.
// Returns false (with errno set by the stream) when the file cannot be written.
bool WriteWave(const std::string& path, const PcmFormat& format, const std::vector<float>& frames);
