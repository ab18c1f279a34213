// SPDX-License-Identifier: MIT
// Builds small Standard MIDI Files for tests, with events at known ticks.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace music_test {

using Bytes = std::vector<std::uint8_t>;

class TrackBuilder {
 public:
  // An event `delta` ticks after the previous one.
  TrackBuilder& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> event) {
    VarLen(delta);
    bytes_.insert(bytes_.end(), event);
    return *this;
  }
  TrackBuilder& Tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    return Event(delta, {0xFF, 0x51, 3, static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
                         static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
                         static_cast<std::uint8_t>(microsecondsPerQuarter)});
  }
  TrackBuilder& End(std::uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0}); }
  const Bytes& Data() const { return bytes_; }

 private:
  void VarLen(std::uint32_t value) {
    std::uint8_t groups[5];
    int n = 0;
    groups[n++] = value & 0x7F;
    while ((value >>= 7) != 0) groups[n++] = 0x80 | (value & 0x7F);
    while (n > 0) bytes_.push_back(groups[--n]);
  }
  Bytes bytes_;
};

inline void PutBigEndian(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  PutBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline Bytes Smf(std::uint16_t format, std::uint16_t division,
                 const std::vector<TrackBuilder>& tracks) {
  Bytes header;
  PutBigEndian(header, format, 2);
  PutBigEndian(header, static_cast<std::uint32_t>(tracks.size()), 2);
  PutBigEndian(header, division, 2);
  Bytes out = Chunk("MThd", header);
  for (const TrackBuilder& track : tracks) {
    const Bytes chunk = Chunk("MTrk", track.Data());
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

struct Note {
  std::uint32_t startMs;
  std::uint32_t lengthMs;
  std::uint8_t key;
};

// One piano track in which a tick is one millisecond (500 ticks a quarter at 120 beats a
// minute); the track ends at endMs. Notes must not overlap.
inline Bytes NotesSmf(const std::vector<Note>& notes, std::uint32_t endMs) {
  TrackBuilder track;
  track.Tempo(0, 500000).Event(0, {0xC0, 0});
  std::uint32_t now = 0;
  for (const Note& note : notes) {
    track.Event(note.startMs - now, {0x90, note.key, 100});
    track.Event(note.lengthMs, {0x80, note.key, 0});
    now = note.startMs + note.lengthMs;
  }
  track.End(endMs - now);
  return Smf(0, 500, {track});
}

}  // namespace music_test
