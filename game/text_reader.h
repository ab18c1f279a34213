// SPDX-License-Identifier: MIT
// Reads a text file's contents by the platform's text-file rules: a line ends at CR (an LF right
// behind it belongs to the line end), an LF alone ends nothing, and Ctrl-Z ends the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brandel {

class TextReader {
 public:
  explicit TextReader(std::string_view contents);

  // Everything up to the line end (no length limit); stops in front of the line end.
  std::string ReadText();
  // Skips every byte of code 32 or less (line ends included), then converts the following
  // token (at most 32 bytes) as a 32-bit integer. At end of file the number is 0.
  // Throws InOutError 106 when the token is no integer.
  std::int32_t ReadInteger();
  // Moves past the next line end.
  void NextLine();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// An optional sign, then decimal digits or "$" and hexadecimal digits, within the 32-bit range.
std::optional<std::int32_t> ParseInteger(std::string_view token);

}  // namespace brandel
