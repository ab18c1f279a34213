// SPDX-License-Identifier: MIT
#include "game/io_error.h"

#include <string>

namespace brandel {

namespace {

std::string MessageOf(int code) {
  if (code == InOutError::kInvalidNumber) return "入力値が数値ではありません";
  return "I/O ｴﾗｰ (" + std::to_string(code) + ")";
}

}  // namespace

InOutError::InOutError(int code) : std::runtime_error(MessageOf(code)), code_(code) {}

}  // namespace brandel
