// SPDX-License-Identifier: MIT
// TWaveMix: the two properties and Play, as a program uses the mixer.
#include "mixer_fixture.h"
#include "wavemix/twavemix.h"

namespace mixtest {
namespace {

class ComponentTest : public MixerTest {
 protected:
  std::vector<int> OpenChannels(const TWaveMix& mix) {
    std::vector<int> open;
    for (int i = 0; i < 8; ++i) {
      if (mix.Session()->channelTable[i] != ClosedChannel()) open.push_back(i);
    }
    return open;
  }
};

TEST_F(ComponentTest, ChannelsMaskOpensAndClosesTheDifference) {
  TWaveMix mix;
  mix.SetChannels(15);
  EXPECT_EQ(OpenChannels(mix), (std::vector<int>{0, 1, 2, 3}));
  mix.SetChannels(255);  // opens the closed ones, no error for 0..3
  EXPECT_EQ(OpenChannels(mix).size(), 8u);
  mix.SetChannels(15);
  EXPECT_EQ(OpenChannels(mix), (std::vector<int>{0, 1, 2, 3}));
  mix.SetChannels(5);
  mix.SetChannels(6);
  EXPECT_EQ(OpenChannels(mix), (std::vector<int>{1, 2}));
  mix.SetChannels(0);
  EXPECT_TRUE(OpenChannels(mix).empty());
  EXPECT_EQ(mix.Channels(), 0);
}

TEST_F(ComponentTest, WritingTheCurrentValueCallsNothing) {
  TWaveMix mix;
  mix.SetChannels(15);
  WaveMixCloseChannels(mix.Session(), 0, 0);  // behind the component's back
  mix.SetChannels(15);
  EXPECT_EQ(OpenChannels(mix), (std::vector<int>{1, 2, 3}));
}

TEST_F(ComponentTest, AFailingMaskKeepsTheOldValue) {
  TWaveMix mix;
  mix.SetChannels(5);
  WaveMixOpenChannels(mix.Session(), 1, MixOpenOne);
  ExpectMessage([&] { mix.SetChannels(6); }, "The channel has already been opened");
  EXPECT_EQ(mix.Channels(), 5);
  EXPECT_EQ(OpenChannels(mix), (std::vector<int>{1, 2}));  // channel 0 closed before the failure
}

TEST_F(ComponentTest, PlayNeedsTheDeviceAndAnOpenChannel) {
  TWaveMix mix;
  HandWave wave(Ramp(500));
  mix.SetChannels(15);
  ExpectMessage([&] { mix.Play(0, wave.get(), 0, 0, 0); },
                "Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)");
  mix.SetActivated(true);
  EXPECT_TRUE(mix.Activated());
  ExpectMessage([&] { mix.Play(5, wave.get(), 0, 0, 0); }, "The specified channel was not open");
  mix.Play(1, wave.get(), 0, 0, 0);
  Advance(100);
  EXPECT_EQ(Heard(0, 1102), Expected().Bytes(wave.samples(), 0, 499).Silence(603).get());
}

TEST_F(ComponentTest, DestroyingTheComponentStopsTheSoundAndEndsTheSession) {
  HandWave wave(Ramp(20000));
  {
    TWaveMix mix;
    mix.SetActivated(true);
    mix.SetChannels(15);
    mix.Play(0, wave.get(), 0, 0, 0);
    Advance(100);
  }
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_EQ(wavemix::LiveSession, nullptr);
  const std::size_t stopped = Recording().size();
  Advance(100);
  EXPECT_EQ(Heard(stopped, 1102), Constant(1102, 128));
}

}  // namespace
}  // namespace mixtest
