// SPDX-License-Identifier: MIT
// The finale's music dat/1.mid: a well-formed Standard MIDI File of 30 to 60 seconds with a
// tempo, General MIDI programs and notes on several channels, none left hanging.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "asset_files.h"
#include "smf_reader.h"

namespace {

class FinaleMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    auto parsed = ParseSmf(ReadWholeFile(BinPath("dat/1.mid")), error);
    ASSERT_TRUE(parsed.has_value()) << error;
    smf_ = std::move(*parsed);
  }

  static bool IsNoteOn(const SmfEvent& e) { return (e.status & 0xF0) == 0x90 && e.data[1] > 0; }
  static bool IsNoteOff(const SmfEvent& e) {
    return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data[1] == 0);
  }

  SmfFile smf_;
};

}  // namespace

TEST_F(FinaleMusic, IsAWellFormedFileWithATempo) {
  EXPECT_LE(smf_.format, 1);
  EXPECT_EQ(smf_.trackChunks, smf_.declaredTracks);
  ASSERT_GT(smf_.trackChunks, 0u);
  for (size_t t = 0; t < smf_.trackEndsWithEndOfTrack.size(); ++t) {
    EXPECT_TRUE(smf_.trackEndsWithEndOfTrack[t]) << "track " << t << " has no end-of-track";
  }
  bool tempo = false;
  for (const SmfEvent& e : smf_.events) tempo = tempo || (e.status == 0xFF && e.metaType == 0x51);
  EXPECT_TRUE(tempo) << "no tempo meta event";
}

TEST_F(FinaleMusic, LastsThirtyToSixtySeconds) {
  const double seconds = smf_.Seconds();
  EXPECT_GE(seconds, 30.0);
  EXPECT_LE(seconds, 60.0);
}

TEST_F(FinaleMusic, HasNotesOnSeveralProgrammedChannelsAndNoneHanging) {
  std::set<int> channelsWithNotes;
  std::set<int> programmed;
  std::map<int, uint32_t> firstNote;
  // Per track, because each track is in time order; a note must end in the track it began.
  std::map<std::tuple<size_t, int, int>, int> sounding;
  for (const SmfEvent& e : smf_.events) {
    const int channel = e.status & 0x0F;
    if ((e.status & 0xF0) == 0xC0) programmed.insert(channel);
    if (IsNoteOn(e)) {
      channelsWithNotes.insert(channel);
      firstNote.try_emplace(channel, e.tick);
      ++sounding[{e.track, channel, e.data[0]}];
    } else if (IsNoteOff(e)) {
      --sounding[{e.track, channel, e.data[0]}];
    }
  }
  EXPECT_GE(channelsWithNotes.size(), 3u);
  for (int channel : channelsWithNotes) {
    if (channel == 9) continue;  // General MIDI percussion needs no program
    EXPECT_TRUE(programmed.count(channel))
        << "channel " << channel << " plays without a program change";
  }
  for (const auto& [key, count] : sounding) {
    EXPECT_EQ(count, 0) << "track " << std::get<0>(key) << " channel " << std::get<1>(key)
                        << " key " << std::get<2>(key) << " is not released";
  }
}
