// SPDX-License-Identifier: MIT
// Input/output errors of the play record, numbered as the platform's runtime numbers them.
#pragma once

#include <stdexcept>

namespace brandel {

class InOutError : public std::runtime_error {
 public:
  static constexpr int kDiskWriteError = 101;
  static constexpr int kFileNotOpen = 103;
  static constexpr int kInvalidNumber = 106;

  explicit InOutError(int code);
  int Code() const { return code_; }

 private:
  int code_;
};

}  // namespace brandel
