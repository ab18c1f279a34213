// SPDX-License-Identifier: MIT
// The output clock on the device's byte count and on the millisecond timer.
#include "mixer_fixture.h"

namespace mixtest {
namespace {

using wavemix::CurrentPosition;
using wavemix::ResetOutput;
using wavemix::SetPosition;

class ClockTest : public MixerTest {
 protected:
  std::int32_t DevicePosition() { return CurrentPosition(session_->device, 1); }
  std::int32_t TimerPosition() { return CurrentPosition(session_->device, 0); }
  // Keeps the device consuming bytes so that its own count moves.
  void PlayForever() {
    Play(0, wave_, 0, MixLoopForever);
  }
  HandWave wave_{Ramp(3000)};
};

TEST_F(ClockTest, DeviceClockGivesThePositionSetWhateverTheDeviceReads) {
  WriteSettings("[default]\nGoodWavePos=1\n");
  Start();
  PlayForever();
  Advance(100);  // floor(100 * 11025 / 1000) bytes played
  EXPECT_EQ(DevicePosition(), 1102);

  SetPosition(50000);  // above the device's count: offset added
  EXPECT_EQ(DevicePosition(), 50000);
  EXPECT_EQ(session_->mixPosition, 50000);
  Advance(10);  // 1212 - 1102 more bytes
  EXPECT_EQ(DevicePosition(), 50110);

  SetPosition(100);  // below the device's count: offset subtracted
  EXPECT_EQ(DevicePosition(), 100);
  EXPECT_EQ(session_->mixPosition, 100);
  Advance(20);  // 1433 - 1212
  EXPECT_EQ(DevicePosition(), 321);
}

TEST_F(ClockTest, TimerClockFollowsTheMillisecondTimer) {
  Init();
  Advance(7);
  SetPosition(441);  // exactly 40 ms of output
  EXPECT_EQ(TimerPosition(), 441);
  EXPECT_EQ(session_->mixPosition, 441);
  Advance(10);
  EXPECT_EQ(TimerPosition(), 551);  // 50 ms: 551.25 truncated
  Advance(1000);
  EXPECT_EQ(TimerPosition(), 11576);  // 1050 ms: 11576.25
}

TEST_F(ClockTest, TimerClockIsAnchoredAtTheFirstMillisecondThatReachesThePosition) {
  Init();
  SetPosition(1001);  // 90.79 ms: the timer base keeps 91 whole milliseconds
  EXPECT_EQ(TimerPosition(), 1003);
  SetPosition(1003);  // what the timer reads at 91 ms comes back exactly, so remixes repeat nothing
  EXPECT_EQ(TimerPosition(), 1003);
}

TEST_F(ClockTest, StereoTimerPositionsAreAlwaysEven) {
  MixConfig config{sizeof(MixConfig), MixConfigChannels, 2, 0};
  InitEx(&config);
  ASSERT_EQ(session_->outputFormat.nAvgBytesPerSec, 22050u);
  SetPosition(0);
  Advance(20);  // 441 bytes of time
  EXPECT_EQ(TimerPosition(), 440);
  for (int ms = 0; ms < 50; ++ms) {
    Advance(1);
    EXPECT_EQ(TimerPosition() % 2, 0) << "at " << 21 + ms << " ms";
  }
}

TEST_F(ClockTest, TimerAndDeviceClocksAgreeWhilePlaying) {
  Start();
  PlayForever();
  for (int step = 0; step < 5; ++step) {
    Advance(40);  // whole multiples of 40 ms are whole bytes
    EXPECT_EQ(TimerPosition(), DevicePosition());
  }
}

TEST_F(ClockTest, ResetOutputKeepsTheAudiblePositionOnTheDeviceClock) {
  WriteSettings("[default]\nGoodWavePos=1\n");
  Start();
  PlayForever();
  Advance(100);
  ASSERT_EQ(DevicePosition(), 1102);
  ResetOutput(session_->device);
  EXPECT_EQ(DevicePosition(), 1102);
  EXPECT_EQ(session_->mixPosition, 1102);
  EXPECT_EQ(device_->QueuedBlocks(), 0);
  // The device's own count restarted at 0; the clock did not jump.
  wo::MMTIME time{wo::TIME_BYTES, 99};
  wo::waveOutGetPosition(session_->device, &time, sizeof time);
  EXPECT_EQ(time.cb, 0u);
}

TEST_F(ClockTest, ResetOutputKeepsTheAudiblePositionOnTheTimerClock) {
  Start();
  PlayForever();
  Advance(80);  // 882 bytes, a whole number of milliseconds of output
  ASSERT_EQ(TimerPosition(), 882);
  ResetOutput(session_->device);
  EXPECT_EQ(TimerPosition(), 882);
  EXPECT_EQ(DevicePosition(), 882);
  EXPECT_EQ(session_->mixPosition, 882);
}

// A stall of the calling thread (time passes, no message is handled) lets the device run
// dry while the timer runs on. The first block handed back afterwards brings the timer clock
// back to the device, so a stall costs the dropout it causes and nothing after it: the next
// high-priority request starts where the device is, and no channel skips.
TEST_F(ClockTest, AfterAStallTheTimerClockIsBroughtBackToTheDevice) {
  WriteSettings("[default]\nWaveBlocks=2\nWaveBlockLen=512\n");  // small blocks run dry at once
  Start();
  ASSERT_NE(session_->goodWavePos, 1);
  HandWave untouched(Ramp(20000));
  HandWave silent(Constant(300, 128));
  Play(0, untouched, 0, MixLoopForever);
  // Played after the device's messages are handled, or before (the first thing after the
  // stall).
  for (const auto& [stall, playFirst] :
       {std::pair{1000u, false}, {50u, false}, {120u, true}, {70u, false}, {300u, true}}) {
    SCOPED_TRACE(stall);
    Advance(100);
    device_->Advance(stall, {});  // nobody handles the device's messages meanwhile
    if (!playFirst) {
      Advance(0);
      EXPECT_LE(std::abs(TimerPosition() - DevicePosition()), 11) << "a millisecond at most";
    }
    const std::int32_t device = DevicePosition();
    Play(1, silent, MixPlayHighPriority);
    const std::int32_t late = session_->channelTable[1]->Start - device;
    EXPECT_GE(late, 0);
    EXPECT_LE(late, 11) << "starts where the device is, within the timer's millisecond";
    Advance(0);
  }
  Advance(500);
  std::vector<std::uint8_t> heard;
  for (const std::uint8_t b : Recording()) {
    if (b != 128) heard.push_back(b);  // the dropouts
  }
  ASSERT_GT(heard.size(), 5000u);
  for (std::size_t i = 0; i < heard.size(); ++i) {
    ASSERT_EQ(heard[i], untouched.samples()[i % 20000]) << "skipped or repeated at " << i;
  }
}

}  // namespace
}  // namespace mixtest
