// SPDX-License-Identifier: MIT
#include "platform/mci/midi_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/music/smf_builder.h"

namespace {

using mci::MidiTiming;
using music_test::Bytes;
using music_test::Chunk;
using music_test::Smf;
using music_test::TrackBuilder;

std::optional<MidiTiming> Scan(const Bytes& bytes) {
  return MidiTiming::Scan(bytes.data(), bytes.size());
}

TEST(MidiTiming, TempoChangesInAnyTrackShapeTheClock) {
  // 480 ticks a quarter; 120 beats a minute until tick 960, then twice as fast (set by the
  // second track, as format 1 files may).
  TrackBuilder conductor;
  conductor.Tempo(0, 500000).End(1920);
  TrackBuilder melody;
  melody.Event(0, {0x90, 60, 100}).Tempo(960, 250000).Event(0, {0x80, 60, 0}).End(960);
  const auto timing = Scan(Smf(1, 480, {conductor, melody}));
  ASSERT_TRUE(timing.has_value());
  EXPECT_EQ(timing->LastTick(), 1920u);
  EXPECT_EQ(timing->TickToMilliseconds(0), 0u);
  EXPECT_EQ(timing->TickToMilliseconds(480), 500u);
  EXPECT_EQ(timing->TickToMilliseconds(960), 1000u);
  EXPECT_EQ(timing->TickToMilliseconds(1440), 1250u);
  EXPECT_EQ(timing->LengthMilliseconds(), 1500u);
}

TEST(MidiTiming, WithoutTempoEventsPlaysAt120BeatsAMinute) {
  TrackBuilder track;
  track.Event(0, {0x90, 60, 100}).Event(192, {0x80, 60, 0}).End(0);
  const auto timing = Scan(Smf(0, 96, {track}));
  ASSERT_TRUE(timing.has_value());
  EXPECT_EQ(timing->LengthMilliseconds(), 1000u);
}

TEST(MidiTiming, EndIsTheLatestEndOfAnyTrack) {
  TrackBuilder shortTrack;
  shortTrack.End(100);
  TrackBuilder longTrack;
  longTrack.End(300);
  const auto timing = Scan(Smf(1, 100, {longTrack, shortTrack}));
  ASSERT_TRUE(timing.has_value());
  EXPECT_EQ(timing->LastTick(), 300u);
}

TEST(MidiTiming, ReadsRunningStatusSysexAndSkipsForeignChunks) {
  TrackBuilder track;
  track
      .Event(0, {0xF0, 3, 0x7E, 0x7F, 0xF7})  // sysex with its length
      .Event(0, {0xB0, 7, 100})               // controller
      .Event(10, {0x90, 60, 100})
      .Event(10, {62, 100})  // running status: two more note-ons
      .Event(10, {64, 100})
      .Event(10, {0xC0, 5})                  // program change: one data byte
      .Event(10, {7})                        // running status with one data byte
      .Event(10, {0xFF, 0x01, 2, 'h', 'i'})  // text
      .End(50);
  // What follows the end of track is never played, so it is not read either.
  track.Event(0, {0xF2});
  const Bytes file = Smf(0, 100, {track});
  Bytes withForeignChunk = Smf(0, 100, {});
  withForeignChunk[11] = 1;  // one track, placed after a chunk of another kind
  const Bytes foreign = Chunk("XFIH", {1, 2, 3});
  withForeignChunk.insert(withForeignChunk.end(), foreign.begin(), foreign.end());
  const Bytes trackChunk = Chunk("MTrk", track.Data());
  withForeignChunk.insert(withForeignChunk.end(), trackChunk.begin(), trackChunk.end());

  for (const Bytes& bytes : {file, withForeignChunk}) {
    const auto timing = Scan(bytes);
    ASSERT_TRUE(timing.has_value());
    EXPECT_EQ(timing->LastTick(), 110u);
  }
}

TEST(MidiTiming, RefusesWhatTheSequencerCannotPlayOrWhatIsDamaged) {
  TrackBuilder good;
  good.Event(0, {0x90, 60, 100}).End(10);
  const Bytes valid = Smf(0, 96, {good});
  ASSERT_TRUE(Scan(valid).has_value());

  auto withByte = [&](std::size_t at, std::uint8_t value) {
    Bytes b = valid;
    b[at] = value;
    return b;
  };
  auto track = [](std::initializer_list<std::uint8_t> event) {
    TrackBuilder t;
    t.Event(0, event).End(0);
    return Smf(0, 96, {t});
  };
  auto rawTrack = [](const Bytes& body) {
    Bytes b = Smf(0, 96, {});
    b[11] = 1;
    const Bytes chunk = Chunk("MTrk", body);
    b.insert(b.end(), chunk.begin(), chunk.end());
    return b;
  };
  TrackBuilder farAway;
  for (int i = 0; i < 8; ++i) farAway.Event(0x0FFFFFFF, {0xF0, 0});
  farAway.End(0x0FFFFFFF);
  Bytes missingTrack = valid;
  missingTrack[11] = 2;
  Bytes chunkBeyondFile = valid;
  chunkBeyondFile[21] += 1;

  const std::pair<const char*, Bytes> cases[] = {
      {"empty", {}},
      {"a wave file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0}},
      {"header cut short", Bytes(valid.begin(), valid.begin() + 13)},
      {"header length beyond the file", withByte(7, 200)},
      {"format 2", withByte(9, 2)},
      {"format 0 with two tracks", Smf(0, 96, {good, good})},
      {"no tracks", Smf(1, 96, {})},
      {"SMPTE timing", withByte(12, 0xE7)},
      {"zero ticks a quarter", withByte(13, 0)},
      {"declared track missing", missingTrack},
      {"track longer than the file", chunkBeyondFile},
      {"event cut short", rawTrack({0x00, 0x90, 60})},
      {"data byte without a status", rawTrack({0x00, 60, 100, 0x00, 0xFF, 0x2F, 0})},
      {"variable length over four bytes", rawTrack({0x80, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0})},
      {"tempo of two bytes", track({0xFF, 0x51, 2, 1, 2})},
      {"tempo zero", track({0xFF, 0x51, 3, 0, 0, 0})},
      {"system common message", track({0xF2, 0, 0})},
      {"meta longer than its track", track({0xFF, 0x01, 100, 'x'})},
      {"ticks beyond the player's range", Smf(0, 96, {farAway})},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Scan(bytes).has_value());
  }
}

}  // namespace
