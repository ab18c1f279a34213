// SPDX-License-Identifier: MIT
// Taking and giving up the device: the blocks, the callback window, every failure and the
// state it leaves.
#include "mixer_fixture.h"

namespace mixtest {
namespace {

class ActivationTest : public MixerTest {
 protected:
  void SetUp() override {
    MixerTest::SetUp();
    Init();
  }
  MixSession& S() { return *session_; }

  // Nothing of an open device is left behind.
  void ExpectNothingOpen() {
    EXPECT_FALSE(device_->IsOpen());
    EXPECT_EQ(S().device, nullptr);
    EXPECT_EQ(S().callbackWindow, 0u);
    EXPECT_FALSE(S().active);
    EXPECT_EQ(wavemix::DeviceOwner, nullptr);
    for (WaveBlock* block : wavemix::WaveBlockTable) EXPECT_EQ(block, nullptr);
  }
};

TEST_F(ActivationTest, ActivateOpensTheDeviceWithSixPreparedBlocks) {
  WaveMixActivate(session_, true);
  EXPECT_TRUE(device_->IsOpen());
  EXPECT_TRUE(S().active);
  EXPECT_EQ(wavemix::DeviceOwner, session_);
  EXPECT_EQ(device_->PreparedHeaders(), 6);  // all six, whatever the block count
  EXPECT_TRUE(msg::IsWindow(S().callbackWindow));
  for (WaveBlock* block : wavemix::WaveBlockTable) {
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->free, 1);
    EXPECT_TRUE(block->header.dwFlags & wo::WHDR_DONE);
    EXPECT_EQ(block->header.dwBufferLength, 2048u);
    EXPECT_EQ(block->header.lpData, reinterpret_cast<char*>(block->data));
  }
  EXPECT_EQ(device_->QueuedBlocks(), 0);  // nothing to play: no block written
}

TEST_F(ActivationTest, ActivatingTwiceKeepsOneDevice) {
  WaveMixActivate(session_, true);
  const msg::HWND window = S().callbackWindow;
  WaveBlock* first = wavemix::WaveBlockTable[0];
  WaveMixActivate(session_, true);
  EXPECT_EQ(S().callbackWindow, window);
  EXPECT_EQ(wavemix::WaveBlockTable[0], first);
  EXPECT_EQ(device_->PreparedHeaders(), 6);
}

TEST_F(ActivationTest, DeactivatingGivesEverythingBack) {
  WaveMixActivate(session_, true);
  const msg::HWND window = S().callbackWindow;
  WaveMixActivate(session_, false);
  ExpectNothingOpen();
  EXPECT_FALSE(msg::IsWindow(window));
  EXPECT_EQ(wavemix::PlayingHead, nullptr);
}

TEST_F(ActivationTest, DeactivatingANeverActivatedSessionChangesNothing) {
  WaveMixActivate(session_, false);
  ExpectNothingOpen();
  EXPECT_EQ(S().mixPosition, 0);
  WaveMixActivate(session_, true);
  EXPECT_TRUE(device_->IsOpen());
}

TEST_F(ActivationTest, AnotherOwnerKeepsTheDevice) {
  MixSession other{};
  wavemix::DeviceOwner = &other;
  ExpectMessage([&] { WaveMixActivate(session_, true); },
                "Resource is already allocated to a process");
  EXPECT_EQ(wavemix::DeviceOwner, &other);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_FALSE(S().active);
  wavemix::DeviceOwner = nullptr;
}

TEST_F(ActivationTest, RefusedOpen) {
  device_->RefuseOpen(true);
  ExpectMessage([&] { WaveMixActivate(session_, true); },
                "Failed to open waveform output device #" + std::to_string(wo::MMSYSERR_ALLOCATED));
  ExpectNothingOpen();
  device_->RefuseOpen(false);
  WaveMixActivate(session_, true);
  EXPECT_TRUE(device_->IsOpen());
}

TEST_F(ActivationTest, RefusedFourthPrepareLeavesNothingBehind) {
  device_->RefusePrepareNumber(4);
  ExpectMessage([&] { WaveMixActivate(session_, true); },
                "Unable to prepare wave header #" + std::to_string(wo::MMSYSERR_NOMEM));
  ExpectNothingOpen();
  // A later activation opens the device afresh.
  WaveMixActivate(session_, true);
  EXPECT_TRUE(device_->IsOpen());
  EXPECT_EQ(device_->PreparedHeaders(), 6);
}

TEST_F(ActivationTest, NoCallbackWindow) {
  msg::ResetForTesting();  // the window class is gone
  ExpectMessage([&] { WaveMixActivate(session_, true); }, "Failed to create callback window");
  ExpectNothingOpen();
}

TEST_F(ActivationTest, RefusedWriteWhilePriming) {
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave wave(Ramp(9000));
  Play(0, wave);
  WaveMixActivate(session_, false);
  device_->RefuseWrites(true);
  ExpectMessage([&] { WaveMixActivate(session_, true); }, "Failed to write block to device");
  EXPECT_EQ(wavemix::PlayingHead, nullptr);
  for (int i = 0; i < S().blockCount; ++i) EXPECT_EQ(wavemix::WaveBlockTable[i]->free, 1);
  // The session holds the device; once writes work the next request restarts the output.
  device_->RefuseWrites(false);
  Play(1, wave);
  EXPECT_GT(device_->QueuedBlocks(), 0);
}

TEST_F(ActivationTest, BlockDoneMessagesForAClosedDeviceAreDropped) {
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave wave(Ramp(9000));
  Play(0, wave);
  // The reset of the deactivation posts a message per queued block; the window is gone.
  WaveMixActivate(session_, false);
  EXPECT_EQ(msg::DispatchPostedMessages(), 0u);
  ExpectNothingOpen();
}

TEST_F(ActivationTest, EndSessionGivesUpTheDeviceAndClosesEverything) {
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  HandWave wave(Ramp(9000));
  Play(0, wave, 0, 0);
  Play(1, wave, MixPlayWait);
  WaveMixEndSession(session_);
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  EXPECT_EQ(wavemix::CurrentSession, nullptr);
  EXPECT_EQ(wavemix::DeviceOwner, nullptr);
  EXPECT_EQ(FreeNodeCount(), 100);
  for (WaveBlock* block : wavemix::WaveBlockTable) EXPECT_EQ(block, nullptr);
  session_ = nullptr;
  EXPECT_NE(Init(), nullptr);
}

}  // namespace
}  // namespace mixtest
