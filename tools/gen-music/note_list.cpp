// SPDX-License-Identifier: MIT
#include "note_list.h"

#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::invalid_argument Malformed(std::string_view what) {
  return std::invalid_argument("malformed note list item: " + std::string(what));
}

}  // namespace

int KeyOf(std::string_view pitch) {
  static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (pitch.size() < 2 || pitch[0] < 'A' || pitch[0] > 'G') throw Malformed(pitch);
  int key = kSemitone[pitch[0] - 'A'];
  size_t pos = 1;
  if (pitch[pos] == '#') {
    ++key;
    ++pos;
  } else if (pitch[pos] == 'b') {
    --key;
    ++pos;
  }
  if (pos + 1 != pitch.size() || pitch[pos] < '0' || pitch[pos] > '8') throw Malformed(pitch);
  return key + 12 * (pitch[pos] - '0' + 1);
}

std::vector<ScoreNote> ParseNoteList(std::string_view text) {
  std::vector<ScoreNote> notes;
  std::istringstream in{std::string(text)};
  std::string item;
  while (in >> item) {
    const size_t slash = item.find('/');
    if (slash == std::string::npos || slash + 1 == item.size()) throw Malformed(item);
    ScoreNote note{{}, 0};
    for (char c : item.substr(slash + 1)) {
      if (c < '0' || c > '9') throw Malformed(item);
      note.eighths = note.eighths * 10 + static_cast<uint32_t>(c - '0');
    }
    if (note.eighths == 0) throw Malformed(item);
    const std::string pitches = item.substr(0, slash);
    if (pitches != "r") {
      size_t start = 0;
      while (start <= pitches.size()) {
        const size_t plus = pitches.find('+', start);
        const size_t end = plus == std::string::npos ? pitches.size() : plus;
        note.keys.push_back(KeyOf(std::string_view(pitches).substr(start, end - start)));
        start = end + 1;
      }
    }
    notes.push_back(std::move(note));
  }
  return notes;
}
