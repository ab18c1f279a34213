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
  volatile std::int32_t sink = 0;
  for (const auto& key : kKeys) {
    sink = sink + file.Int(key[0], key[1], 7);
    if (auto value = file.Value(key[0], key[1])) sink = sink + static_cast<std::int32_t>(value->size());
  }
  return 0;
}
