// SPDX-License-Identifier: MIT
// The play record reader on arbitrary bytes. Whatever it reads without an error must read back
// the same after the writer's formatting: the record survives a start and a close unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "game/io_error.h"
#include "game/play_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brandel::GameVariables read;
  try {
    brandel::ParsePlayRecord(std::string_view(reinterpret_cast<const char*>(data), size), read);
  } catch (const brandel::InOutError& error) {
    if (error.Code() != brandel::InOutError::kInvalidNumber) std::abort();
    return 0;  // a line that holds no number: the values are kept as far as they were read
  }
  brandel::GameVariables back;
  brandel::ParsePlayRecord(brandel::FormatPlayRecord(read), back);
  if (back.RecordText != read.RecordText || back.PlayCount != read.PlayCount ||
      back.Experience != read.Experience || back.RecordValue4 != read.RecordValue4 ||
      back.RecordValue5 != read.RecordValue5) {
    std::abort();
  }
  return 0;
}
