// SPDX-License-Identifier: MIT
// The game's one set of variables, kept beside the window and shared by all of its parts.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace brandel {

struct GameVariables {
  std::string RecordText;  // first line of the play record, raw bytes, written back unchanged
  std::int32_t PlayCount = 0;
  std::int32_t Experience = 0;
  std::int32_t RecordValue4 = 0;  // carried through the record unchanged
  std::int32_t RecordValue5 = 0;  // carried through the record unchanged
  std::int32_t FlipStep =
      0;  // 0: the flip picture must be loaded first; else the step 1..199 to draw
  std::int32_t AttackCount = 0;
  std::int32_t MagicCount = 0;
  std::uint8_t StageMark = 0;  // 0 in the fish stage, kDollStage from the doll stage on
  std::int32_t NarrationTick = 0;
};

constexpr std::uint8_t kDollStage = 100;

// Counts up by a non-negative amount but stops at the largest value: a record that holds a
// count near it must not wrap to a negative one.
constexpr std::int32_t CountUp(std::int32_t value, std::int32_t amount) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  return value > kLargest - amount ? kLargest : value + amount;
}

// Zero at program start.
extern GameVariables Game;

}  // namespace brandel
