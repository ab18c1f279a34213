// SPDX-License-Identifier: MIT
#include "wave_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

bool Tag(const std::vector<uint8_t>& b, size_t at, const char* tag) {
  return std::memcmp(&b[at], tag, 4) == 0;
}

}  // namespace

double WaveFile::Seconds() const {
  return blockAlign == 0 || samplesPerSec == 0
             ? 0.0
             : static_cast<double>(data.size() / blockAlign) / samplesPerSec;
}

double WaveFile::Peak() const {
  double peak = 0;
  if (bitsPerSample == 8) {
    for (uint8_t s : data) peak = std::max(peak, std::abs(static_cast<int>(s) - 128) / 128.0);
  } else if (bitsPerSample == 16) {
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
      const auto s = static_cast<int16_t>(data[i] | (data[i + 1] << 8));
      peak = std::max(peak, std::abs(static_cast<int>(s)) / 32768.0);
    }
  }
  return peak;
}

std::optional<WaveFile> ParseWave(const std::vector<uint8_t>& b, std::string& error) {
  if (b.size() < 12 || !Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE")) {
    error = "not a RIFF WAVE file";
    return std::nullopt;
  }
  if (Le(b, 4, 4) + 8 != b.size()) {
    error = "RIFF size " + std::to_string(Le(b, 4, 4)) + " does not match the file size " +
            std::to_string(b.size());
    return std::nullopt;
  }
  WaveFile wave;
  bool haveFormat = false;
  bool haveData = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = Le(b, at + 4, 4);
    const size_t body = at + 8;
    if (size > b.size() - body) {
      error = "chunk runs past the end of the file";
      return std::nullopt;
    }
    if (Tag(b, at, "fmt ") && size >= 16) {
      wave.formatTag = static_cast<uint16_t>(Le(b, body, 2));
      wave.channels = static_cast<uint16_t>(Le(b, body + 2, 2));
      wave.samplesPerSec = Le(b, body + 4, 4);
      wave.avgBytesPerSec = Le(b, body + 8, 4);
      wave.blockAlign = static_cast<uint16_t>(Le(b, body + 12, 2));
      wave.bitsPerSample = static_cast<uint16_t>(Le(b, body + 14, 2));
      haveFormat = true;
    } else if (Tag(b, at, "data")) {
      wave.data.assign(b.begin() + static_cast<std::ptrdiff_t>(body),
                       b.begin() + static_cast<std::ptrdiff_t>(body + size));
      haveData = true;
    }
    at = body + size + (size & 1);
  }
  if (!haveFormat || !haveData) {
    error = haveFormat ? "no data chunk" : "no fmt chunk";
    return std::nullopt;
  }
  return wave;
}
