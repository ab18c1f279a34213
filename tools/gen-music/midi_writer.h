// SPDX-License-Identifier: MIT
#pragma once
// Standard MIDI File (format 1) writing: tracks collect timed events in any order; encoding
// sorts them and adds the end-of-track event.

#include <cstdint>
#include <string>
#include <vector>

class MidiTrack {
 public:
  void Name(const std::string& name);
  void Tempo(uint32_t tick, double beatsPerMinute);
  void TimeSignature(uint32_t tick, int numerator, int denominatorPower);
  void Program(uint32_t tick, int channel, int program);
  void Controller(uint32_t tick, int channel, int controller, int value);
  // A note of `length` ticks; its note-off comes before any note-on at the same tick, so
  // repeated notes of the same key sound separately.
  void Note(uint32_t tick, uint32_t length, int channel, int key, int velocity);

  // The track chunk's body: delta-timed events ending in end-of-track.
  std::vector<uint8_t> Encode() const;

 private:
  struct Event {
    uint32_t tick;
    int rank;  // at equal ticks: meta and set-up first, then note-offs, then note-ons
    size_t sequence;
    std::vector<uint8_t> bytes;
  };
  void Add(uint32_t tick, int rank, std::vector<uint8_t> bytes);
  std::vector<Event> events_;
};

// Writes a format 1 file with `ticksPerQuarter` division. Returns false if it cannot be written.
bool WriteMidiFile(const std::string& path, uint16_t ticksPerQuarter,
                   const std::vector<MidiTrack>& tracks);
