// SPDX-License-Identifier: MIT
#include "midi_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {

enum Rank { kSetup = 0, kNoteOff = 1, kNoteOn = 2 };

void PutVarLen(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void PutBe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint8_t Data7(int value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 127));
}
uint8_t Status(int kind, int channel) {
  return static_cast<uint8_t>(kind | (channel & 0x0F));
}

}  // namespace

void MidiTrack::Add(uint32_t tick, int rank, std::vector<uint8_t> bytes) {
  events_.push_back(Event{tick, rank, events_.size(), std::move(bytes)});
}

void MidiTrack::Name(const std::string& name) {
  std::vector<uint8_t> bytes{0xFF, 0x03};
  PutVarLen(bytes, static_cast<uint32_t>(name.size()));
  bytes.insert(bytes.end(), name.begin(), name.end());
  Add(0, kSetup, std::move(bytes));
}

void MidiTrack::Tempo(uint32_t tick, double beatsPerMinute) {
  const auto microsPerQuarter = static_cast<uint32_t>(std::lround(60'000'000.0 / beatsPerMinute));
  std::vector<uint8_t> bytes{0xFF, 0x51, 0x03};
  PutBe(bytes, microsPerQuarter, 3);
  Add(tick, kSetup, std::move(bytes));
}

void MidiTrack::TimeSignature(uint32_t tick, int numerator, int denominatorPower) {
  Add(tick, kSetup, {0xFF, 0x58, 0x04, Data7(numerator), Data7(denominatorPower), 24, 8});
}

void MidiTrack::Program(uint32_t tick, int channel, int program) {
  Add(tick, kSetup, {Status(0xC0, channel), Data7(program)});
}

void MidiTrack::Controller(uint32_t tick, int channel, int controller, int value) {
  Add(tick, kSetup, {Status(0xB0, channel), Data7(controller), Data7(value)});
}

void MidiTrack::Note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
  Add(tick, kNoteOn, {Status(0x90, channel), Data7(key), Data7(std::max(1, velocity))});
  Add(tick + length, kNoteOff, {Status(0x80, channel), Data7(key), 64});
}

std::vector<uint8_t> MidiTrack::Encode() const {
  std::vector<Event> sorted = events_;
  std::sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.rank != b.rank) return a.rank < b.rank;
    return a.sequence < b.sequence;
  });
  std::vector<uint8_t> out;
  uint32_t now = 0;
  for (const Event& e : sorted) {
    PutVarLen(out, e.tick - now);
    now = e.tick;
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  }
  PutVarLen(out, 0);
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  return out;
}

bool WriteMidiFile(const std::string& path, uint16_t ticksPerQuarter,
                   const std::vector<MidiTrack>& tracks) {
  std::vector<uint8_t> file{'M', 'T', 'h', 'd'};
  PutBe(file, 6, 4);
  PutBe(file, 1, 2);  // format 1: simultaneous tracks
  PutBe(file, static_cast<uint32_t>(tracks.size()), 2);
  PutBe(file, ticksPerQuarter, 2);
  for (const MidiTrack& track : tracks) {
    const std::vector<uint8_t> body = track.Encode();
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBe(file, static_cast<uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}
