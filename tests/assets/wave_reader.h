// SPDX-License-Identifier: MIT
#pragma once
// A small RIFF WAVE reader for the checks: finds "fmt " and "data" among any chunks.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct WaveFile {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  std::vector<uint8_t> data;

  double Seconds() const;
  // Largest sample magnitude over all channels, as a share of full scale (0..1).
  double Peak() const;
};

// nullopt with `error` set when the bytes are not a well-formed RIFF WAVE with fmt and data.
std::optional<WaveFile> ParseWave(const std::vector<uint8_t>& bytes, std::string& error);
