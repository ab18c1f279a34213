// SPDX-License-Identifier: MIT
#include "platform/mci/midi_file.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mci {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // 120 beats a minute
// FluidSynth counts ticks in an int.
constexpr std::uint64_t kMaxTick = std::numeric_limits<std::int32_t>::max();

std::uint32_t BigEndian(const std::uint8_t* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
  return value;
}

// A cursor over one chunk's bytes that refuses to step past its end.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

  bool AtEnd() const { return p_ == end_; }
  bool Byte(std::uint8_t* out) {
    if (p_ == end_) return false;
    *out = *p_++;
    return true;
  }
  bool Skip(std::uint32_t count) {
    if (static_cast<std::size_t>(end_ - p_) < count) return false;
    p_ += count;
    return true;
  }
  const std::uint8_t* Here() const { return p_; }
  // A variable-length quantity: at most four bytes, seven bits each.
  bool VarLen(std::uint32_t* out) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b;
      if (!Byte(&b)) return false;
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) {
        *out = value;
        return true;
      }
    }
    return false;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

struct TrackScan {
  std::uint64_t endTick = 0;
};

// Walks one track's events; collects its tempo changes. False when the track is malformed.
template <typename OnTempo>
bool ScanTrack(Reader track, TrackScan* result, OnTempo onTempo) {
  std::uint64_t tick = 0;
  std::uint8_t runningStatus = 0;
  while (!track.AtEnd()) {
    std::uint32_t delta;
    if (!track.VarLen(&delta)) return false;
    tick += delta;
    if (tick > kMaxTick) return false;

    std::uint8_t status;
    if (!track.Byte(&status)) return false;
    if (status < 0x80) {  // running status: this byte is the first data byte
      if (runningStatus == 0) return false;
      const int dataBytes = (runningStatus & 0xE0) == 0xC0 ? 1 : 2;
      if (!track.Skip(static_cast<std::uint32_t>(dataBytes - 1))) return false;
      continue;
    }
    if (status < 0xF0) {
      runningStatus = status;
      const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2;
      if (!track.Skip(static_cast<std::uint32_t>(dataBytes))) return false;
      continue;
    }
    runningStatus = 0;
    if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length;
      if (!track.VarLen(&length) || !track.Skip(length)) return false;
      continue;
    }
    if (status != 0xFF) return false;  // real-time and common messages do not belong in a file

    std::uint8_t type;
    std::uint32_t length;
    if (!track.Byte(&type) || !track.VarLen(&length)) return false;
    const std::uint8_t* body = track.Here();
    if (!track.Skip(length)) return false;
    if (type == 0x51) {
      if (length != 3) return false;
      const std::uint32_t tempo = BigEndian(body, 3);
      if (tempo == 0) return false;
      onTempo(static_cast<std::uint32_t>(tick), tempo);
    } else if (type == 0x2F) {
      break;  // end of track: whatever follows is not played
    }
  }
  result->endTick = tick;
  return true;
}

}  // namespace

std::optional<MidiTiming> MidiTiming::Scan(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 14) return std::nullopt;
  if (!std::equal(data, data + 4, "MThd")) return std::nullopt;
  const std::uint32_t headerLength = BigEndian(data + 4, 4);
  if (headerLength < 6 || headerLength > size - 8) return std::nullopt;
  const std::uint32_t format = BigEndian(data + 8, 2);
  const std::uint32_t trackCount = BigEndian(data + 10, 2);
  const std::uint32_t division = BigEndian(data + 12, 2);
  if (format > 1 || trackCount == 0 || (format == 0 && trackCount != 1)) return std::nullopt;
  if (division == 0 || (division & 0x8000) != 0) return std::nullopt;

  MidiTiming timing;
  timing.ticksPerQuarter_ = division;
  std::uint64_t lastTick = 0;
  std::uint32_t tracksSeen = 0;
  std::size_t offset = 8 + static_cast<std::size_t>(headerLength);
  while (tracksSeen < trackCount) {
    if (size - offset < 8) return std::nullopt;  // a declared track is missing
    const std::uint8_t* chunk = data + offset;
    const std::uint32_t chunkLength = BigEndian(chunk + 4, 4);
    if (chunkLength > size - offset - 8) return std::nullopt;
    if (std::equal(chunk, chunk + 4, "MTrk")) {  // other chunks are skipped, as the format asks
      TrackScan track;
      const bool wellFormed = ScanTrack(Reader(chunk + 8, chunkLength), &track,
                                        [&timing](std::uint32_t tick, std::uint32_t tempo) {
                                          timing.tempoMap_.push_back({tick, tempo});
                                        });
      if (!wellFormed) return std::nullopt;
      lastTick = std::max(lastTick, track.endTick);
      ++tracksSeen;
    }
    offset += 8 + static_cast<std::size_t>(chunkLength);
  }
  timing.lastTick_ = static_cast<std::uint32_t>(lastTick);
  // A tempo set in any track applies to all; at one tick the later track wins.
  std::stable_sort(timing.tempoMap_.begin(), timing.tempoMap_.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  return timing;
}

std::uint32_t MidiTiming::TickToMilliseconds(std::uint32_t tick) const {
  double microseconds = 0;
  std::uint32_t segmentStart = 0;
  std::uint32_t tempo = kDefaultTempo;
  for (const TempoChange& change : tempoMap_) {
    if (change.tick >= tick) break;
    microseconds += static_cast<double>(change.tick - segmentStart) * tempo;
    segmentStart = change.tick;
    tempo = change.microsecondsPerQuarter;
  }
  microseconds += static_cast<double>(tick - segmentStart) * tempo;
  const double milliseconds = microseconds / ticksPerQuarter_ / 1000.0;
  return static_cast<std::uint32_t>(
      std::min(std::llround(milliseconds),
               static_cast<long long>(std::numeric_limits<std::uint32_t>::max())));
}

}  // namespace mci
