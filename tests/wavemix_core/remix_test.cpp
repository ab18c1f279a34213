// SPDX-License-Identifier: MIT
// Replacing, prioritising and flushing while sound plays, under both Remix settings. Blocks
// of 512 bytes: at 50 ms the device has played 551 bytes, block 0 has come back and been
// refilled, so the mix position is 4 * 512 = 2048.
#include "mixer_fixture.h"

namespace mixtest {
namespace {

constexpr std::size_t Audible = 551;   // floor(50 * 11025 / 1000)
constexpr std::size_t Mixed = 2048;    // mix position at 50 ms
constexpr std::size_t Total = 11025;   // one second of recording

struct RemixMode {
  const char* name;
  bool remixes;  // Remix=1 mixes the queued blocks again; Remix=2 starts after them
};

class RemixTest : public MixerTest, public ::testing::WithParamInterface<RemixMode> {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    WriteSettings(std::string("[Virtual wave output]\nWaveBlockLen=512\nRemix=") +
                  (GetParam().remixes ? "1" : "2") + "\n");
    Start();
  }
  bool Remixes() const { return GetParam().remixes; }

  HandWave ramp_{Ramp(5000, 0)};       // request ends at 4999
  HandWave constant_{Constant(3000, 150)};
  HandWave other_{Ramp(2000, 77)};

  static std::uint8_t Sum(std::uint8_t a, std::uint8_t b) {
    const int total = a + b - 128;
    return static_cast<std::uint8_t>(total < 0 ? 0 : (total > 255 ? 255 : total));
  }
  // The ramp from..to with the constant 150 added.
  Expected& RampPlus150(Expected& e, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) e.Fill(1, Sum(ramp_.samples()[i], 150));
    return e;
  }
};

TEST_P(RemixTest, HighPriorityOnAnIdleChannelStartsAtTheAudiblePosition) {
  Play(0, ramp_);
  Advance(50);
  ASSERT_EQ(session_->mixPosition, static_cast<std::int32_t>(Mixed));
  Play(1, constant_, MixPlayHighPriority);
  Advance(950);
  Expected e;
  if (Remixes()) {
    // Starts at 551 and runs to its end at 551 + 2999.
    e.Bytes(ramp_.samples(), 0, Audible);
    RampPlus150(e, Audible, Audible + 2999);
    e.Bytes(ramp_.samples(), Audible + 2999, 4999 - (Audible + 2999));
    e.Silence(Total - 4999);
  } else {
    // Moved behind the queued blocks, length kept: 2048 .. 2048 + 2999.
    e.Bytes(ramp_.samples(), 0, Mixed);
    RampPlus150(e, Mixed, 4999);
    e.Fill(Mixed + 2999 - 4999, 150);
    e.Silence(Total - (Mixed + 2999));
  }
  EXPECT_EQ(Heard(0, Total), e.get());
}

TEST_P(RemixTest, ClearQueueReplacesTheChannelsRequests) {
  Play(0, ramp_);
  Advance(50);
  Play(0, other_, MixPlayClearQueue);
  Advance(950);
  // The replacement starts at the mix position either way; remixed, the old request stops at
  // once and the channel is silent until then.
  const std::size_t cut = Remixes() ? Audible : Mixed;
  EXPECT_EQ(Heard(0, Total), Expected()
                                 .Bytes(ramp_.samples(), 0, cut)
                                 .Silence(Mixed - cut)
                                 .Bytes(other_.samples(), 0, 1999)
                                 .Silence(Total - Mixed - 1999)
                                 .get());
}

TEST_P(RemixTest, ClearQueueWithHighPriorityStartsAtTheAudiblePosition) {
  Play(0, ramp_);
  Advance(50);
  Play(0, other_, MixPlayClearQueue | MixPlayHighPriority);
  Advance(950);
  const std::size_t start = Remixes() ? Audible : Mixed;
  EXPECT_EQ(Heard(0, Total), Expected()
                                 .Bytes(ramp_.samples(), 0, start)
                                 .Bytes(other_.samples(), 0, 1999)
                                 .Silence(Total - start - 1999)
                                 .get());
}

TEST_P(RemixTest, HighPriorityBehindAFullyMixedRequest) {
  HandWave shortWave(Ramp(1000, 40));
  HandWave next(Ramp(1000, 140));
  Play(0, shortWave);  // ends at 999; blocks 0..1023 mixed, nothing after
  Advance(50);
  ASSERT_EQ(session_->mixPosition, 1024);
  Play(0, next, MixPlayHighPriority);  // starts at the previous end, 999 < 1024
  Advance(950);
  Expected e;
  if (Remixes()) {
    // Mixed again from the audible 551: the first wave plays out, the next follows it.
    e.Bytes(shortWave.samples(), 0, 999).Bytes(next.samples(), 0, 999);
    e.Silence(Total - 999 - 999);
  } else {
    e.Bytes(shortWave.samples(), 0, 999).Silence(1024 - 999).Bytes(next.samples(), 0, 999);
    e.Silence(Total - 1024 - 999);
  }
  EXPECT_EQ(Heard(0, Total), e.get());
}

TEST_P(RemixTest, PlainRequestOnAnIdleChannelStartsAfterTheQueuedBlocks) {
  Play(0, ramp_);
  Advance(50);
  Play(1, constant_);  // Start = mix position: never a remix
  Advance(950);
  Expected e;
  e.Bytes(ramp_.samples(), 0, Mixed);
  RampPlus150(e, Mixed, 4999);
  e.Fill(Mixed + 2999 - 4999, 150).Silence(Total - Mixed - 2999);
  EXPECT_EQ(Heard(0, Total), e.get());
}

TEST_P(RemixTest, FlushDuringPlay) {
  Play(0, ramp_, MixPlayWait);
  Play(1, constant_);
  Advance(50);
  WaveMixFlushChannels(session_, 0, 0);
  Advance(950);
  const std::size_t cut = Remixes() ? Audible : Mixed;
  Expected e;
  RampPlus150(e, 0, cut);
  e.Fill(2999 - cut, 150).Silence(Total - 2999);
  EXPECT_EQ(Heard(0, Total), e.get());
}

TEST_P(RemixTest, FlushWithoutRemixLetsTheQueuedBlocksPlayOut) {
  Play(0, ramp_);
  Advance(50);
  WaveMixFlushChannels(session_, 0, MixNoRemix);
  Advance(950);
  EXPECT_EQ(Heard(0, Total),
            Expected().Bytes(ramp_.samples(), 0, Mixed).Silence(Total - Mixed).get());
}

TEST_P(RemixTest, BlockDoneMessagesAfterARemixTakeBackNothingNew) {
  Play(0, ramp_);
  Advance(50);
  Play(1, constant_, MixPlayHighPriority);
  // The reset hands the old blocks back; their messages must not free the new ones.
  msg::DispatchPostedMessages();
  EXPECT_EQ(device_->QueuedBlocks(), session_->blockCount);
  int listed = 0;
  for (WaveBlock* b = wavemix::PlayingHead; b != nullptr; b = b->nextPlaying) ++listed;
  EXPECT_EQ(listed, device_->QueuedBlocks());
}

// With the default settings (timer clock, three blocks of 2048 bytes): a remix asked for by a
// request placed later than what is heard (a queue replaced without high priority) or earlier
// (high priority behind a request already heard) mixes again from what is heard, so a
// channel nobody touched neither skips nor repeats, and every request that is not replaced
// is told once, within a block of its last byte being heard.
class RemixFromTheAudiblePosition : public MixerTest {};

TEST_F(RemixFromTheAudiblePosition, UntouchedChannelsPlayOnAndEveryRequestIsToldOnTime) {
  Start();
  HandWave untouched(Ramp(20000));
  HandWave a(Constant(1000, 128)), b(Constant(1000, 128)), c(Constant(4000, 128)),
      d(Constant(500, 128));
  const msg::HWND notify = NotifyWindow();
  Play(0, untouched, MixPlayWait);
  Play(1, a, 0, 0, notify);  // 0..999, heard by 91 ms; its block comes back at 186 ms
  Advance(120);              // 1323 bytes heard
  Play(1, b, MixPlayHighPriority, 0, notify);  // a, heard to its end, is told first
  ASSERT_EQ(session_->channelTable[1]->Wave, b.get());
  EXPECT_EQ(session_->channelTable[1]->Start, 1323) << "not before what is heard";
  Advance(120);
  Play(2, c, 0, 0, notify);
  const std::int32_t mixed = session_->mixPosition;
  Play(2, d, MixPlayClearQueue, 0, notify);
  const std::int32_t dStart = session_->channelTable[2]->Start;
  EXPECT_EQ(dStart, mixed) << "a plain replacement still starts after the queued audio";
  Advance(2000);

  EXPECT_EQ(Heard(0, 19999), Expected().Bytes(untouched.samples(), 0, 19999).get());
  struct Told {
    HandWave& wave;
    msg::WPARAM channel;
    std::int32_t end;
  };
  const std::vector<Told> told = {{a, 1, 999}, {b, 1, 1323 + 999}, {d, 2, dStart + 499}};
  ASSERT_EQ(Notices().size(), told.size());
  for (std::size_t i = 0; i < told.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Notices()[i].wave, reinterpret_cast<msg::LPARAM>(told[i].wave.get()));
    EXPECT_EQ(Notices()[i].channel, told[i].channel);
    const std::uint32_t lastHeard = HeardByMs(static_cast<std::size_t>(told[i].end) - 1);
    EXPECT_GE(Notices()[i].atMs, lastHeard);
    EXPECT_LE(Notices()[i].atMs, lastHeard + BlockMs());
  }
}

INSTANTIATE_TEST_SUITE_P(BothSettings, RemixTest,
                         ::testing::Values(RemixMode{"Remix", true}, RemixMode{"Defer", false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace mixtest
