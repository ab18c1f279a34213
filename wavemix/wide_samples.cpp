// SPDX-License-Identifier: MIT
// Samples wider than 16 bits: 24- and 32-bit integers keep their top 16 bits, 32-bit floats
// are clamped to -1..1 and scaled, so that a float and an integer of the same value give the
// same 16-bit sample. The result then takes the usual conversion steps.
#include <cmath>
#include <cstring>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

std::int16_t FloatTo16(const std::uint8_t* p) {
  float value;
  std::memcpy(&value, p, sizeof value);  // little-endian, as the file stores it
  if (std::isnan(value)) return 0;
  if (value <= -1.0f) return -32768;
  if (value >= 1.0f) return 32767;
  return static_cast<std::int16_t>(std::floor(value * 32768.0f));
}

}  // namespace

bool IsWideLayout(const SampleLayout& layout) {
  return layout.isFloat || layout.bits == 24 || layout.bits == 32;
}

std::uint64_t ReducedSize(std::uint64_t size, const SampleLayout& layout) {
  return IsWideLayout(layout) ? size / (layout.bits / 8u) * 2 : size;
}

void ReduceTo16(std::uint8_t* block, std::uint32_t& size, const SampleLayout& layout) {
  const std::uint32_t width = layout.bits / 8u;
  const std::uint32_t samples = size / width;
  // In place: each sample is written at or before where it was read.
  for (std::uint32_t i = 0; i < samples; ++i) {
    const std::uint8_t* in = block + std::uint64_t{i} * width;
    std::int16_t value;
    if (layout.isFloat) {
      value = FloatTo16(in);
    } else {
      value = static_cast<std::int16_t>(in[width - 2] | (in[width - 1] << 8));
    }
    block[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
    block[2 * i + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  }
  size = samples * 2;
}

}  // namespace wavemix
