// SPDX-License-Identifier: MIT
#pragma once
// A compact way to write a voice by hand: "A4/2 C5/1 r/1 E5/4" is a list of notes, each a pitch
// (letter, optional # or b, octave; middle C is C4 = key 60) or "r" for a rest, then its length
// in eighth notes. A chord is pitches joined by "+": "A3+C4+E4/8".

#include <cstdint>
#include <string_view>
#include <vector>

struct ScoreNote {
  std::vector<int> keys;  // empty for a rest
  uint32_t eighths;
};

// Throws std::invalid_argument on a malformed list: the score is code, a typo must stop the build.
std::vector<ScoreNote> ParseNoteList(std::string_view text);

int KeyOf(std::string_view pitch);
