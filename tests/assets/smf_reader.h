// SPDX-License-Identifier: MIT
#pragma once
// A small Standard MIDI File reader for the checks: every event of every track with its absolute
// tick, and the play time that the tempo map gives the last one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SmfEvent {
  uint32_t tick = 0;
  size_t track = 0;
  uint8_t status = 0;         // 0x80..0xEF channel message, 0xFF meta, 0xF0/0xF7 sysex
  uint8_t metaType = 0;       // for meta events
  std::vector<uint8_t> data;  // data bytes, or the meta/sysex body
};

struct SmfFile {
  uint16_t format = 0;
  uint16_t declaredTracks = 0;
  uint16_t ticksPerQuarter = 0;
  size_t trackChunks = 0;
  std::vector<bool> trackEndsWithEndOfTrack;
  std::vector<SmfEvent> events;  // all tracks, each in file order

  // Seconds from the start to the latest event, following every tempo change (default 120 bpm).
  double Seconds() const;
};

std::optional<SmfFile> ParseSmf(const std::vector<uint8_t>& bytes, std::string& error);
