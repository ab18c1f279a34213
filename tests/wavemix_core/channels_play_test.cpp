// SPDX-License-Identifier: MIT
// Channels and play requests: every failure message and the state it leaves, the placement
// of requests, the least-recently-used choice and the end-of-wave message.
#include "mixer_fixture.h"

namespace mixtest {
namespace {

class ChannelsTest : public MixerTest {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    Init();
  }
  MixSession& S() { return *session_; }
  bool IsOpen(int channel) { return S().channelTable[channel] != ClosedChannel(); }
};

TEST_F(ChannelsTest, OpenFailuresComeBeforeAnyChange) {
  ExpectMessage([&] { WaveMixOpenChannels(session_, 0, 3); }, "Invalid Flags");
  ExpectMessage([&] { WaveMixOpenChannels(session_, 8, MixOpenOne); }, "Invalid channel number");
  ExpectMessage([&] { WaveMixOpenChannels(session_, -1, MixOpenOne); }, "Invalid channel number");
  ExpectMessage([&] { WaveMixOpenChannels(session_, 0, MixOpenCount); },
                "Invalid number of channels");
  ExpectMessage([&] { WaveMixOpenChannels(session_, 9, MixOpenCount); },
                "Invalid number of channels");
  ExpectMessage([&] { WaveMixOpenChannels(session_, 0, -1); }, "Invalid flag");
  ExpectMessage([&] { WaveMixOpenChannels(nullptr, 0, MixOpenAll); }, "Invalid Session handle");
  EXPECT_EQ(S().openChannelCount, 0);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(IsOpen(i));

  WaveMixOpenChannels(session_, 5, MixOpenOne);
  ExpectMessage([&] { WaveMixOpenChannels(session_, 5, MixOpenOne); },
                "The channel has already been opened");
  EXPECT_EQ(S().openChannelCount, 1);
  EXPECT_EQ(S().channelTable[5], nullptr);
}

TEST_F(ChannelsTest, OpenAllAndOpenCountLeaveOpenChannelsAsTheyAre) {
  WaveMixOpenChannels(session_, 2, MixOpenOne);
  WaveMixOpenChannels(session_, 3, MixOpenCount);
  EXPECT_EQ(S().openChannelCount, 3);
  EXPECT_TRUE(IsOpen(0) && IsOpen(1) && IsOpen(2));
  EXPECT_FALSE(IsOpen(3));
  WaveMixOpenChannels(session_, 12345, MixOpenAll);
  EXPECT_EQ(S().openChannelCount, 8);
  WaveMixCloseChannels(session_, 0, MixAllChannels);
  WaveMixOpenChannels(session_, 8, MixOpenCount);
  EXPECT_EQ(S().openChannelCount, 8);
}

TEST_F(ChannelsTest, FlushAndCloseChecks) {
  WaveMixOpenChannels(session_, 2, MixOpenCount);
  ExpectMessage([&] { WaveMixFlushChannels(session_, 8, 0); }, "Invalid channel number");
  ExpectMessage([&] { WaveMixCloseChannels(session_, -1, 0); }, "Invalid channel number");
  ExpectMessage([&] { WaveMixFlushChannels(session_, 4, 0); },
                "The specified channel was not open");
  ExpectMessage([&] { WaveMixCloseChannels(session_, 4, 0); },
                "The specified channel was not open");
  // Every channel, closed ones included, is no error.
  WaveMixFlushChannels(session_, 99, MixAllChannels);
  EXPECT_EQ(S().openChannelCount, 2);
  WaveMixCloseChannels(session_, 1, 0);
  EXPECT_EQ(S().openChannelCount, 1);
  ExpectMessage([&] { WaveMixCloseChannels(session_, 1, 0); },
                "The specified channel was not open");
  WaveMixCloseChannels(session_, 99, MixAllChannels);
  EXPECT_EQ(S().openChannelCount, 0);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(IsOpen(i));
}

TEST_F(ChannelsTest, CloseDropsTheQueueWithoutAMessage) {
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave wave(Ramp(4000));
  Play(3, wave, 0, 0, NotifyWindow());
  Play(3, wave, 0, 0, NotifyWindow());
  EXPECT_EQ(FreeNodeCount(), 98);
  WaveMixCloseChannels(session_, 3, 0);
  EXPECT_EQ(FreeNodeCount(), 100);
  EXPECT_FALSE(IsOpen(3));
  Advance(1000);
  EXPECT_TRUE(Notices().empty());
}

TEST_F(ChannelsTest, FlushingAnIdleChannelDropsNothingAndDoesNotRemix) {
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave wave(Ramp(9000));
  Play(0, wave);
  Advance(50);
  const std::int32_t mixed = S().mixPosition;
  WaveMixFlushChannels(session_, 1, 0);
  EXPECT_EQ(S().mixPosition, mixed);
  EXPECT_EQ(device_->QueuedBlocks(), 3);
}

class PlayTest : public MixerTest {
 protected:
  MixSession& S() { return *session_; }
  MixPlayParams Params(int channel, MixWave* wave, std::uint32_t flags = 0) {
    MixPlayParams params{};
    params.Size = sizeof params;
    params.Session = session_;
    params.Channel = channel;
    params.Wave = wave;
    params.Flags = flags;
    return params;
  }
  HandWave wave_{Ramp(3000)};
};

TEST_F(PlayTest, ChecksInOrder) {
  ExpectMessage([] { WaveMixPlay(nullptr); }, "nil parameters pointer passed to WaveMixPlay");
  Init();
  MixPlayParams params = Params(0, wave_.get());
  params.Session = nullptr;
  ExpectMessage([&] { WaveMixPlay(&params); }, "Invalid Session handle");
  params = Params(0, nullptr);
  ExpectMessage([&] { WaveMixPlay(&params); }, "nil wave pointer passed to WaveMixPlay!");
  params = Params(0, wave_.get());
  ExpectMessage([&] { WaveMixPlay(&params); },
                "Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)");
  WaveMixActivate(session_, true);
  ExpectMessage([&] { WaveMixPlay(&params); },
                "You must open a channel before you can play a wave");
  EXPECT_EQ(S().playCounter, 0);
  EXPECT_EQ(FreeNodeCount(), 100);
}

TEST_F(PlayTest, AWaveThatIsNotLiveIsRefusedBeforeItIsRead) {
  Start();
  MixWave stranger{};  // never registered; its data pointer would be garbage
  stranger.header.dwBufferLength = 1000;
  MixPlayParams params = Params(0, &stranger);
  ExpectMessage([&] { WaveMixPlay(&params); }, "The given pointer was not valid");
  EXPECT_EQ(S().playCounter, 0);
  EXPECT_EQ(FreeNodeCount(), 100);
  EXPECT_EQ(S().channelTable[0], nullptr);
}

TEST_F(PlayTest, AChannelOutsideTheRangeIsRefusedBeforeAnyChange) {
  Start();
  for (int channel : {-1, 8, 1000}) {
    MixPlayParams params = Params(channel, wave_.get());
    ExpectMessage([&] { WaveMixPlay(&params); }, "Invalid channel number");
  }
  EXPECT_EQ(S().playCounter, 0);
  for (int stamp : S().lastPlayStamp) EXPECT_EQ(stamp, 0);
  EXPECT_EQ(FreeNodeCount(), 100);
  // With MixPlayLeastRecent the channel field is not looked at.
  MixPlayParams params = Params(1000, wave_.get(), MixPlayLeastRecent);
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 0);
}

TEST_F(PlayTest, ClosedChannelAndEmptyPoolCountThePlayFirst) {
  Init();
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenOne);
  MixPlayParams params = Params(4, wave_.get());
  ExpectMessage([&] { WaveMixPlay(&params); }, "The specified channel was not open");
  EXPECT_EQ(S().playCounter, 1);
  EXPECT_EQ(S().lastPlayStamp[4], 1);
  EXPECT_EQ(FreeNodeCount(), 100);

  for (int i = 0; i < 100; ++i) Play(0, wave_);
  EXPECT_EQ(FreeNodeCount(), 0);
  params = Params(0, wave_.get());
  ExpectMessage([&] { WaveMixPlay(&params); }, "Not enough memory");
  EXPECT_EQ(S().playCounter, 102);
  EXPECT_EQ(S().lastPlayStamp[0], 102);
}

TEST_F(PlayTest, PlacementOfPlainRequests) {
  Start();
  HandWave thousand(Ramp(1000));
  Play(0, thousand, 0, 1);
  PlayNode* first = S().channelTable[0];
  EXPECT_EQ(first->Start, 0);
  EXPECT_EQ(first->End, 1999);
  EXPECT_EQ(first->Request.Channel, 0);
  EXPECT_EQ(first->Length, 1000);
  EXPECT_EQ(S().mixPosition, 2048);
  // Busy channel: behind the mix position, since the first request is fully mixed.
  Play(0, thousand);
  EXPECT_EQ(first->Next->Start, 2048);
  EXPECT_EQ(first->Next->End, 3047);
  // Idle channel: at the mix position.
  Play(1, thousand);
  EXPECT_EQ(S().channelTable[1]->Start, 4096);
}

TEST_F(PlayTest, ForeverLoopAndWhatQueuesBehindIt) {
  Start();
  Play(0, wave_, 0, MixLoopForever);
  EXPECT_EQ(S().channelTable[0]->End, NeverPosition);
  Play(0, wave_);
  PlayNode* behind = S().channelTable[0]->Next;
  EXPECT_EQ(behind->Start, NeverPosition);
  EXPECT_EQ(behind->End, NeverPosition);
  Play(0, wave_, MixPlayHighPriority);
  EXPECT_EQ(behind->Next->Start, NeverPosition);
  // Replacing the queue drops all three.
  Play(0, wave_, MixPlayClearQueue);
  EXPECT_EQ(S().channelTable[0]->Next, nullptr);
  EXPECT_EQ(FreeNodeCount(), 99);
}

TEST_F(PlayTest, HeldRequestsStartTogetherWithTheNextPlainOne) {
  Start();
  Play(2, wave_, MixPlayWait);
  Play(5, wave_, MixPlayWait);
  EXPECT_EQ(S().channelTable[2], nullptr);
  EXPECT_EQ(device_->QueuedBlocks(), 0);
  Play(1, wave_);
  EXPECT_EQ(S().pendingTail, nullptr);
  for (int channel : {1, 2, 5}) {
    ASSERT_NE(S().channelTable[channel], nullptr) << channel;
    EXPECT_EQ(S().channelTable[channel]->Start, 0) << channel;
  }
  EXPECT_EQ(device_->QueuedBlocks(), 2);  // 0..2047 and 2048..4095; the requests end at 2999
  EXPECT_FALSE(device_->IsPaused());
}

// Held requests take the timing of the request that releases them, whatever its flags:
// all start on the sample it starts on.
TEST_F(PlayTest, HeldRequestsStartTogetherWithTheOneThatReleasesThem) {
  Start();
  HandWave untouched(Ramp(30000));
  Play(0, untouched);  // keeps blocks queued, so that "at once" and "after them" differ
  Advance(50);
  const std::int32_t audible = wavemix::CurrentPosition(S().device, 1);
  ASSERT_LT(audible, S().mixPosition);

  Play(2, wave_, MixPlayWait);
  Play(3, wave_, MixPlayWait);
  Play(1, wave_, MixPlayHighPriority);
  for (int channel : {1, 2, 3}) EXPECT_EQ(S().channelTable[channel]->Start, audible) << channel;

  WaveMixFlushChannels(session_, MixAllChannels, MixAllChannels);
  Play(0, untouched);
  Advance(50);
  Play(2, wave_, MixPlayWait | MixPlayHighPriority);
  Play(1, wave_);
  const std::int32_t mixed = S().mixPosition;
  for (int channel : {1, 2}) EXPECT_EQ(S().channelTable[channel]->Start, mixed) << channel;
}

TEST_F(PlayTest, HeldRequestOnAChannelClosedMeanwhileIsDropped) {
  Start();
  Play(3, wave_, MixPlayWait);
  WaveMixCloseChannels(session_, 3, 0);
  EXPECT_EQ(FreeNodeCount(), 99);  // flush and close leave PendingPlays alone
  Play(0, wave_);
  EXPECT_EQ(S().channelTable[3], ClosedChannel());
  EXPECT_EQ(S().pendingTail, nullptr);
  EXPECT_EQ(FreeNodeCount(), 99);  // the held node went back; one plays on channel 0
  Advance(1000);
  EXPECT_EQ(FreeNodeCount(), 100);
}

TEST_F(PlayTest, HeldRequestOfAWaveGoneMeanwhileIsDropped) {
  Start();
  {
    HandWave gone(Ramp(500));
    Play(3, gone, MixPlayWait);
  }  // no longer live
  Play(0, wave_);
  EXPECT_EQ(S().channelTable[3], nullptr);
  EXPECT_EQ(FreeNodeCount(), 99);
}

TEST_F(PlayTest, LeastRecentChoice) {
  Init();
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 4, MixOpenCount);
  MixPlayParams params = Params(7, wave_.get(), MixPlayLeastRecent | MixPlayWait);
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 0);  // all idle, never used
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 0);  // still idle while held
  WaveMixFlushChannels(session_, 0, MixAllChannels);
  params.Flags = MixPlayLeastRecent;
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 0);
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 1);  // channel 0 busy with stamp 3, channel 1 idle

  // Stamps 5, 2, 7, 9; channels 0 and 1 busy, 2 and 3 idle: an idle channel wins only while
  // it is the running choice.
  S().lastPlayStamp[0] = 5;
  S().lastPlayStamp[1] = 2;
  S().lastPlayStamp[2] = 7;
  S().lastPlayStamp[3] = 9;
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 1);
  EXPECT_EQ(S().lastPlayStamp[1], S().playCounter);
}

TEST_F(PlayTest, LeastRecentSkipsClosedChannels) {
  Start();
  WaveMixCloseChannels(session_, 0, 0);
  MixPlayParams params = Params(0, wave_.get(), MixPlayLeastRecent);
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 1);
  WaveMixPlay(&params);
  EXPECT_EQ(params.Channel, 2);
}

TEST_F(PlayTest, PositionsRestartAtZeroWhenNothingPlays) {
  Start();
  Play(0, wave_);
  Advance(2000);
  EXPECT_EQ(S().channelTable[0], nullptr);
  ASSERT_EQ(wavemix::PlayingHead, nullptr);
  Play(1, wave_);
  EXPECT_EQ(S().channelTable[1]->Start, 0);
  EXPECT_EQ(wavemix::CurrentPosition(S().device, 1), 0);
}

TEST_F(PlayTest, WriteFailureLeavesTheRequestPlacedAndTheDeviceRunning) {
  Start();
  device_->RefuseWrites(true);
  MixPlayParams params = Params(0, wave_.get());
  ExpectMessage([&] { WaveMixPlay(&params); }, "Failed to write block to device");
  EXPECT_NE(S().channelTable[0], nullptr);
  EXPECT_EQ(wavemix::PlayingHead, nullptr);
  EXPECT_EQ(S().mixPosition, 2048);  // stays advanced
  EXPECT_FALSE(device_->IsPaused());
  for (WaveBlock* block : wavemix::WaveBlockTable) EXPECT_EQ(block->free, 1);
}

TEST_F(PlayTest, WriteFailureInARemixLeavesTheDeviceRunning) {
  Start();
  Play(0, wave_);
  Advance(50);
  device_->RefuseWrites(true);
  MixPlayParams params = Params(1, wave_.get(), MixPlayHighPriority);
  ExpectMessage([&] { WaveMixPlay(&params); }, "Failed to write block to device");
  EXPECT_NE(S().channelTable[1], nullptr);
  EXPECT_FALSE(device_->IsPaused());
  EXPECT_EQ(wavemix::PlayingHead->free, 0);  // the rest stay listed for the pump to take back
  EXPECT_EQ(wavemix::WaveBlockTable[0]->free, 1);
}

TEST_F(PlayTest, WriteFailureInThePumpLeavesTheMessageLoop) {
  Start();
  HandWave longWave(Ramp(20000));
  Play(0, longWave);
  device_->RefuseWrites(true);
  // The first block comes back at byte 2048; refilling it fails inside the window procedure.
  ExpectMessage([&] { Advance(200); }, "Failed to write block to device");
  device_->RefuseWrites(false);
  Advance(1000);  // the next block-done message pumps again and the output goes on
  EXPECT_EQ(Heard(0, 1000), Expected().Bytes(longWave.samples(), 0, 1000).get());
  EXPECT_GT(S().mixPosition, 4 * 2048);
}

class NoticeTest : public MixerTest {};

TEST_F(NoticeTest, EndOfWaveIsPostedExactlyOnceWithChannelAndWave) {
  Start();
  HandWave wave(Ramp(1000));
  Play(6, wave, 0, 0, NotifyWindow());
  Advance(2000);
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0].channel, 6u);
  EXPECT_EQ(Notices()[0].wave, reinterpret_cast<msg::LPARAM>(wave.get()));
  // At the first block-done after its end: the block of 2048 bytes ends in the 186th ms.
  EXPECT_EQ(Notices()[0].atMs, 186u);
  EXPECT_EQ(FreeNodeCount(), 100);
}

TEST_F(NoticeTest, FlushedAndReplacedRequestsGetNone) {
  Start();
  HandWave wave(Ramp(6000));
  HandWave replacement(Ramp(500));
  Play(0, wave, 0, 0, NotifyWindow());
  Play(1, wave, 0, 0, NotifyWindow());
  Advance(50);
  WaveMixFlushChannels(session_, 0, 0);
  Play(1, replacement, MixPlayClearQueue | MixPlayHighPriority, 0, NotifyWindow());
  Advance(3000);
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0].channel, 1u);
  EXPECT_EQ(Notices()[0].wave, reinterpret_cast<msg::LPARAM>(replacement.get()));
}

// A request heard to its end whose notice is not out yet (its block has not come back) is
// told when a flush, close, replacement or the freeing of its wave finds it; one not heard
// to its end is dropped without a notice.
TEST_F(NoticeTest, ADropThatFindsTheEndAlreadyHeardTellsIt) {
  for (const int drop : {0, 1, 2, 3}) {
    SCOPED_TRACE(drop);
    Start();
    Notices().clear();
    MixWave* heard = Load(Ramp(1000));  // heard to its end at 91 ms; its block is back at 186
    HandWave longer(Ramp(20000));
    HandWave replacement(Ramp(100));
    Play(0, heard, 0, 0, NotifyWindow());
    Play(1, longer, 0, 0, NotifyWindow());
    Advance(120);
    ASSERT_TRUE(Notices().empty());
    const std::uint32_t droppedAt = device_->NowMs();
    switch (drop) {
      case 0:
        WaveMixFlushChannels(session_, 0, 0);
        break;
      case 1:
        WaveMixCloseChannels(session_, 0, 0);
        break;
      case 2:
        Play(0, replacement, MixPlayClearQueue);
        break;
      default:
        WaveMixFreeWave(session_, heard);
        break;
    }
    WaveMixFlushChannels(session_, 1, 0);
    Advance(1000);
    ASSERT_GE(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0].wave, reinterpret_cast<msg::LPARAM>(heard));
    EXPECT_EQ(Notices()[0].channel, 0u);
    EXPECT_EQ(Notices()[0].atMs, droppedAt);
    for (std::size_t i = 1; i < Notices().size(); ++i) {
      EXPECT_EQ(Notices()[i].wave, reinterpret_cast<msg::LPARAM>(replacement.get()));
    }
    if (drop != 3) WaveMixFreeWave(session_, heard);
    WaveMixEndSession(session_);
  }
}

TEST_F(NoticeTest, NoNoticeWithoutAWindow) {
  Start();
  HandWave wave(Ramp(800));
  NotifyWindow();
  Play(0, wave);
  Advance(1000);
  EXPECT_TRUE(Notices().empty());
  EXPECT_EQ(FreeNodeCount(), 100);
}

}  // namespace
}  // namespace mixtest
