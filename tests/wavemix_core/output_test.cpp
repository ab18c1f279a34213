// SPDX-License-Identifier: MIT
// What the device plays: bytes recorded by the virtual device, worked out by hand from the
// placement and mixing rules. Unless a test says otherwise the session plays mono at
// 11025 bytes per second with 3 blocks of 2048 bytes, and recording byte i is stream byte i.
#include "mixer_fixture.h"

namespace mixtest {
namespace {

class OutputTest : public MixerTest {};

TEST_F(OutputTest, RequestShorterThanABlock) {
  Start();
  HandWave wave(Ramp(1000));
  Play(0, wave);
  // One block: bytes 0..998 of the wave (the request ends at 999) then 1049 of silence.
  EXPECT_EQ(session_->mixPosition, 2048);
  EXPECT_EQ(device_->QueuedBlocks(), 1);
  Advance(400);
  EXPECT_EQ(Heard(0, 4410), Expected().Bytes(wave.samples(), 0, 999).Silence(3411).get());
  EXPECT_EQ(Recording().size(), 4410u);
}

TEST_F(OutputTest, LoopsRepeatTheWaveBackToBack) {
  Start();
  HandWave wave(Ramp(300, 9));
  Play(0, wave, 0, 2);
  Advance(200);
  EXPECT_EQ(Heard(0, 2205), Expected()
                                .Bytes(wave.samples(), 0, 300)
                                .Bytes(wave.samples(), 0, 300)
                                .Bytes(wave.samples(), 0, 299)
                                .Silence(2205 - 899)
                                .get());
}

TEST_F(OutputTest, ForeverLoopRunsAcrossBlocksUntilFlushed) {
  Start();
  HandWave wave(Ramp(700, 3));
  Play(0, wave, 0, MixLoopForever);
  Advance(1000);  // 11025 bytes: 15 whole passes and 525 bytes
  Expected expected;
  for (int pass = 0; pass < 15; ++pass) expected.Bytes(wave.samples(), 0, 700);
  expected.Bytes(wave.samples(), 0, 525);
  EXPECT_EQ(Heard(0, 11025), expected.get());
}

TEST_F(OutputTest, TwoRequestsQueuedTogetherPlayBackToBackAcrossABlockBoundary) {
  Start();
  HandWave first(Ramp(1500, 0));
  HandWave second(Ramp(1000, 60));
  Play(0, first, MixPlayWait);
  Play(0, second);
  // first: 0..1498; second starts at first's end 1499 and runs into the second block.
  Advance(500);
  EXPECT_EQ(Heard(0, 5512), Expected()
                                .Bytes(first.samples(), 0, 1499)
                                .Bytes(second.samples(), 0, 999)
                                .Silence(5512 - 2498)
                                .get());
}

TEST_F(OutputTest, ARequestAfterTheChannelsLastOneEndedStartsAtTheMixPosition) {
  Start();
  HandWave first(Ramp(500));
  HandWave second(Ramp(500, 90));
  Play(0, first);  // one block 0..2047 mixed at once
  Play(0, second);  // behind the mixed block, not in the past
  Advance(500);
  EXPECT_EQ(Heard(0, 5512), Expected()
                                .Bytes(first.samples(), 0, 499)
                                .Silence(2048 - 499)
                                .Bytes(second.samples(), 0, 499)
                                .Silence(5512 - 2048 - 499)
                                .get());
}

TEST_F(OutputTest, TwoChannelsAreSummedAndClipped) {
  Start();
  HandWave high(Constant(3000, 200));
  HandWave low(Constant(3000, 40));
  HandWave ramp(Ramp(3000, 17));
  Play(0, high, MixPlayWait);
  Play(1, high);
  Advance(300);
  EXPECT_EQ(Heard(0, 2999), Constant(2999, 255));  // 272 clipped
  WaveMixFlushChannels(session_, 0, MixAllChannels);
  Advance(300);

  const std::size_t from = Recording().size();
  Play(2, low, MixPlayWait);
  Play(3, low);
  Advance(300);
  EXPECT_EQ(Heard(from, 2999), Constant(2999, 0));  // -48 clipped
  WaveMixFlushChannels(session_, 0, MixAllChannels);
  Advance(300);

  const std::size_t from2 = Recording().size();
  Play(4, ramp, MixPlayWait);
  Play(5, high);
  Advance(300);
  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i < 2999; ++i) {
    const int total = ramp.samples()[i] + 200 - 128;
    expected.push_back(static_cast<std::uint8_t>(total > 255 ? 255 : total));
  }
  EXPECT_EQ(Heard(from2, 2999), expected);
}

TEST_F(OutputTest, ThreeChannelsOfDifferentLengths) {
  Start();
  HandWave a(Constant(1000, 200));
  HandWave b(Constant(600, 100));
  HandWave c(Constant(300, 60));
  Play(0, a, MixPlayWait);
  Play(1, b, MixPlayWait);
  Play(2, c);
  Advance(300);
  // a ends at 999, b at 599, c at 299.
  EXPECT_EQ(Heard(0, 3307), Expected()
                                .Fill(299, 104)   // 128 + 72 - 28 - 68
                                .Fill(300, 172)   // 128 + 72 - 28
                                .Fill(400, 200)
                                .Silence(3307 - 999)
                                .get());
}

TEST_F(OutputTest, ThreeChannelsClipOnceNotPerSource) {
  Start();
  HandWave loud(Constant(800, 250));
  HandWave quiet(Constant(800, 0));
  Play(0, loud, MixPlayWait);
  Play(1, loud, MixPlayWait);
  Play(2, quiet);
  Advance(100);
  EXPECT_EQ(Heard(0, 799), Constant(799, 244));  // 128 + 122 + 122 - 128
}

TEST_F(OutputTest, NothingQueuedWritesNoBlock) {
  Start();
  WaveBlock* block = wavemix::TakeFreeBlock();
  ASSERT_NE(block, nullptr);
  EXPECT_FALSE(wavemix::MixBlock(block, true));
  EXPECT_EQ(block->free, 1);
  EXPECT_EQ(device_->QueuedBlocks(), 0);
  EXPECT_EQ(session_->mixPosition, 0);
}

TEST_F(OutputTest, StereoSessionMixesFramesByteByByte) {
  MixConfig config{sizeof(MixConfig), MixConfigChannels, 2, 0};
  InitEx(&config);
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave left(Ramp(1000, 5));
  Play(0, left);
  Advance(200);  // 4410 bytes
  EXPECT_EQ(Heard(0, 4410), Expected().Bytes(left.samples(), 0, 999).Silence(3411).get());
}

// A stereo stream keeps every frame whole: through a remix at 30 ms (1323 bytes of time, 661
// frames and a half) on the device's clock, and with a per-device block length of 1001, cut
// to 1000 so that the mix position, where plain requests start, stays on a frame.
TEST_F(OutputTest, StereoKeepsEveryFrameWhole) {
  WriteSettings("[Virtual wave output]\nWaveBlockLen=1001\nGoodWavePos=1\n");
  MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, 2, 22};
  InitEx(&config);
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  EXPECT_EQ(session_->blockLength, 1000);
  // Left below silence, right above: a frame cut in two swaps them.
  const auto frames = [](std::size_t count, std::uint8_t left, std::uint8_t right) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.insert(bytes.end(), {left, right});
    return bytes;
  };
  HandWave quiet(frames(20000, 100, 156));
  HandWave loud(frames(500, 10, 250));
  Play(0, quiet);
  Advance(30);
  Play(1, loud, MixPlayHighPriority);
  Advance(30);
  Play(2, loud);
  Advance(1000);
  std::size_t sounding = 0;
  for (std::size_t i = 0; i + 1 < Recording().size(); i += 2) {
    ASSERT_LE(Recording()[i], 128) << "left of frame " << i / 2;
    ASSERT_GE(Recording()[i + 1], 128) << "right of frame " << i / 2;
    if (Recording()[i] < 128 && Recording()[i + 1] > 128) ++sounding;
  }
  EXPECT_EQ(sounding, 19999u);  // the request ends before its last byte
}

TEST_F(OutputTest, DeactivateAndActivateContinueWhereTheSoundStopped) {
  Start();
  HandWave wave(Ramp(5000, 11));
  Play(0, wave);
  Advance(50);  // 551 bytes heard
  WaveMixActivate(session_, false);
  EXPECT_EQ(session_->mixPosition, 551);
  EXPECT_FALSE(device_->IsOpen());
  Advance(100);  // closed: 1653 - 551 bytes of silence
  WaveMixActivate(session_, true);
  Advance(600);  // 8268 bytes of time in all
  EXPECT_EQ(Heard(0, 8268), Expected()
                                .Bytes(wave.samples(), 0, 551)
                                .Silence(1102)
                                .Bytes(wave.samples(), 551, 4999 - 551)
                                .Silence(8268 - 1653 - (4999 - 551))
                                .get());
}

TEST_F(OutputTest, DeactivatedAtFiftyThousandResumesThere) {
  WriteSettings("[default]\nGoodWavePos=1\n");
  Start();
  HandWave wave(Ramp(3000));
  Play(0, wave, 0, MixLoopForever);
  Advance(40);
  wavemix::SetPosition(50000);  // the clock and the stream jump together
  WaveMixActivate(session_, false);
  EXPECT_EQ(session_->mixPosition, 50000);
  WaveMixActivate(session_, true);
  EXPECT_EQ(wavemix::CurrentPosition(session_->device, 1), 50000);
  EXPECT_EQ(session_->channelTable[0]->Start, 0);
  EXPECT_EQ(session_->mixPosition, 50000 + 3 * 2048);
}

}  // namespace
}  // namespace mixtest
