// SPDX-License-Identifier: MIT
#include "game/text_reader.h"

#include "game/io_error.h"

namespace brandel {

namespace {

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;
constexpr std::size_t kMaxNumberLength = 32;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

TextReader::TextReader(std::string_view contents)
    : text_(contents.substr(0, contents.find(kCtrlZ))) {}

std::string TextReader::ReadText() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != kCR) ++pos_;
  return std::string(text_.substr(start, pos_ - start));
}

std::int32_t TextReader::ReadInteger() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !IsBlank(text_[pos_]) && pos_ - start < kMaxNumberLength) ++pos_;
  if (pos_ == start) return 0;
  const std::optional<std::int32_t> value = ParseInteger(text_.substr(start, pos_ - start));
  if (!value) throw InOutError(InOutError::kInvalidNumber);
  return *value;
}

void TextReader::NextLine() {
  while (pos_ < text_.size() && text_[pos_] != kCR) ++pos_;
  if (pos_ < text_.size()) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == kLF) ++pos_;
}

std::optional<std::int32_t> ParseInteger(std::string_view token) {
  bool negative = false;
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
    negative = token[0] == '-';
    token.remove_prefix(1);
  }
  int base = 10;
  if (!token.empty() && token[0] == '$') {
    base = 16;
    token.remove_prefix(1);
  }
  if (token.empty()) return std::nullopt;

  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // magnitude of the most negative value
  std::int64_t magnitude = 0;
  for (char c : token) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (!negative && magnitude == kLimit) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace brandel
