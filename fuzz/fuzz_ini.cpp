// SPDX-License-Identifier: MIT
// The INI reader on arbitrary bytes: parsing and the integer reading of the mixer's keys.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ini/ini_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ini::IniFile file =
      ini::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  static constexpr std::string_view kKeys[][2] = {
      {"general", "WaveOutDevice"}, {"default", "Remix"},        {"default", "GoodWavePos"},
      {"default", "WaveBlocks"},    {"default", "WaveBlockLen"}, {"default", "SamplesPerSec"},
      {"not compatible", "Virtual wave output"}, {"", ""},       {"[", "="}};
  // Unsigned, so summing values near the 32-bit limits cannot overflow in the harness itself.
  volatile std::uint32_t sink = 0;
  for (const auto& key : kKeys) {
    sink = sink + static_cast<std::uint32_t>(file.Int(key[0], key[1], 7));
    if (auto value = file.Value(key[0], key[1])) {
      sink = sink + static_cast<std::uint32_t>(value->size());
    }
  }
  return 0;
}
