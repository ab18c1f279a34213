// SPDX-License-Identifier: MIT
#include "smf_reader.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

class Cursor {
 public:
  Cursor(const std::vector<uint8_t>& bytes, size_t begin, size_t end)
      : b_(bytes), at_(begin), end_(end) {}
  bool AtEnd() const { return at_ >= end_; }
  bool Has(size_t n) const { return end_ - at_ >= n; }
  uint8_t Peek() const { return b_[at_]; }
  uint8_t Byte() { return b_[at_++]; }
  std::optional<uint32_t> VarLen() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      if (AtEnd()) return std::nullopt;
      const uint8_t c = Byte();
      v = (v << 7) | (c & 0x7F);
      if ((c & 0x80) == 0) return v;
    }
    return std::nullopt;  // more than four bytes
  }
  std::vector<uint8_t> Take(size_t n) {
    std::vector<uint8_t> out(b_.begin() + static_cast<std::ptrdiff_t>(at_),
                             b_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return out;
  }

 private:
  const std::vector<uint8_t>& b_;
  size_t at_;
  size_t end_;
};

uint32_t Be(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

int DataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool ReadTrack(const std::vector<uint8_t>& b, size_t begin, size_t end, size_t index, SmfFile& file,
               std::string& error) {
  Cursor in(b, begin, end);
  uint32_t tick = 0;
  uint8_t running = 0;
  bool ended = false;
  while (!in.AtEnd()) {
    if (ended) {
      error = "events after end-of-track in track " + std::to_string(index);
      return false;
    }
    const auto delta = in.VarLen();
    if (!delta || in.AtEnd()) {
      error = "truncated event in track " + std::to_string(index);
      return false;
    }
    tick += *delta;
    SmfEvent event;
    event.tick = tick;
    event.track = index;
    uint8_t status = in.Peek();
    if (status & 0x80) {
      in.Byte();
    } else if (running != 0) {
      status = running;  // running status: the data byte stays for the event
    } else {
      error = "data byte without a status in track " + std::to_string(index);
      return false;
    }
    event.status = status;
    if (status == 0xFF) {
      if (!in.Has(1)) break;
      event.metaType = in.Byte();
      const auto length = in.VarLen();
      if (!length || !in.Has(*length)) break;
      event.data = in.Take(*length);
      ended = event.metaType == 0x2F;
    } else if (status == 0xF0 || status == 0xF7) {
      const auto length = in.VarLen();
      if (!length || !in.Has(*length)) break;
      event.data = in.Take(*length);
    } else if (status >= 0x80 && status < 0xF0) {
      running = status;
      const int n = DataBytes(status);
      if (!in.Has(static_cast<size_t>(n))) break;
      event.data = in.Take(static_cast<size_t>(n));
    } else {
      error = "unexpected status byte in track " + std::to_string(index);
      return false;
    }
    file.events.push_back(std::move(event));
  }
  if (!in.AtEnd()) {
    error = "truncated event in track " + std::to_string(index);
    return false;
  }
  file.trackEndsWithEndOfTrack.push_back(ended);
  return true;
}

}  // namespace

double SmfFile::Seconds() const {
  std::map<uint32_t, uint32_t> tempoAt{{0, 500000}};  // microseconds per quarter
  uint32_t last = 0;
  for (const SmfEvent& e : events) {
    last = std::max(last, e.tick);
    if (e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3)
      tempoAt[e.tick] = Be(e.data, 0, 3);
  }
  double seconds = 0;
  for (auto it = tempoAt.begin(); it != tempoAt.end() && it->first < last; ++it) {
    const auto next = std::next(it);
    const uint32_t until = next == tempoAt.end() ? last : std::min(last, next->first);
    seconds += static_cast<double>(until - it->first) * it->second / 1e6 / ticksPerQuarter;
  }
  return seconds;
}

std::optional<SmfFile> ParseSmf(const std::vector<uint8_t>& b, std::string& error) {
  if (b.size() < 14 || std::memcmp(b.data(), "MThd", 4) != 0 || Be(b, 4, 4) < 6) {
    error = "no MThd header";
    return std::nullopt;
  }
  SmfFile file;
  file.format = static_cast<uint16_t>(Be(b, 8, 2));
  file.declaredTracks = static_cast<uint16_t>(Be(b, 10, 2));
  const uint32_t division = Be(b, 12, 2);
  if (division & 0x8000) {
    error = "SMPTE time division";
    return std::nullopt;
  }
  file.ticksPerQuarter = static_cast<uint16_t>(division);
  if (file.ticksPerQuarter == 0) {
    error = "zero ticks per quarter note";
    return std::nullopt;
  }
  for (size_t at = 8 + Be(b, 4, 4); at < b.size();) {
    if (b.size() - at < 8) {
      error = "truncated chunk header";
      return std::nullopt;
    }
    const uint32_t size = Be(b, at + 4, 4);
    if (size > b.size() - at - 8) {
      error = "chunk runs past the end of the file";
      return std::nullopt;
    }
    if (std::memcmp(&b[at], "MTrk", 4) == 0) {
      if (!ReadTrack(b, at + 8, at + 8 + size, file.trackChunks, file, error)) return std::nullopt;
      ++file.trackChunks;
    }
    at += 8 + size;
  }
  return file;
}
