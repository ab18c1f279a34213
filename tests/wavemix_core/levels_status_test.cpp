// SPDX-License-Identifier: MIT
// Volume and pan as heard on the virtual device; the block settings a program passes in its
// MixConfig; the channel status and the stream position it may ask for.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "mixer_fixture.h"
#include "wavemix/twavemix.h"

namespace mixtest {
namespace {

class LevelsStatusTest : public MixerTest {
 protected:
  HMIXSESSION StartWith(const MixConfig& config) {
    InitEx(&config);
    WaveMixActivate(session_, true);
    WaveMixOpenChannels(session_, 0, MixOpenAll);
    return session_;
  }
};

TEST_F(LevelsStatusTest, VolumeAndPanScaleEachChannelFromTheNextBlock) {
  Start();
  HandWave loud(Constant(20000, 200));  // +72 around silence
  HandWave low(Constant(20000, 100));   // -28
  // Three blocks are queued at the old level; the fourth block takes the new one.
  Play(0, loud);
  WaveMixSetChannelVolume(session_, 0, 50, -100);  // mono: pan is ignored
  Advance(700);
  EXPECT_EQ(Heard(6140, 8), Expected().Fill(4, 200).Fill(4, 164).get());
  // A remix takes the levels at once: channel 1 starts at the audible position.
  WaveMixSetMasterVolume(session_, 50);
  Play(1, low, MixPlayHighPriority);
  const std::size_t audible = Recording().size();
  Advance(100);
  EXPECT_EQ(Heard(audible, 4), Expected().Fill(4, 128 + 18 - 14).get());
  // Full volume at centre is the plain sum again, byte for byte.
  WaveMixSetChannelVolume(session_, 0, 100, 0);
  WaveMixSetMasterVolume(session_, 100);
  EXPECT_TRUE(session_->levels.unity);

  // Out of range is refused, naming the argument, and changes nothing.
  ExpectMessage([&] { WaveMixSetChannelVolume(session_, 0, 101, 0); }, "Invalid volume");
  ExpectMessage([&] { WaveMixSetChannelVolume(session_, 0, -1, 0); }, "Invalid volume");
  ExpectMessage([&] { WaveMixSetChannelVolume(session_, 0, 50, 101); }, "Invalid pan");
  ExpectMessage([&] { WaveMixSetChannelVolume(session_, 8, 50, 0); }, "Invalid channel number");
  ExpectMessage([&] { WaveMixSetMasterVolume(session_, 101); }, "Invalid volume");
  ExpectMessage([&] { WaveMixSetMasterVolume(nullptr, 50); }, "Invalid Session handle");
  std::int32_t volume = -1, pan = -1;
  WaveMixGetChannelVolume(session_, 0, &volume, &pan);
  EXPECT_EQ(volume, 100);
  EXPECT_EQ(pan, 0);
  EXPECT_EQ(WaveMixGetMasterVolume(session_), 100);
  WaveMixEndSession(session_);

  // Stereo, eight channels at different levels and pans, some chunks starting on a right
  // sample: every byte is the rounded sum of the scaled sources (gains chosen exact in
  // binary, so the reference in doubles has no rounding of its own).
  const MixConfig stereo{sizeof(MixConfig), MixConfigChannels, 2, 0};
  StartWith(stereo);
  const std::size_t from = Recording().size();
  WaveMixSetMasterVolume(session_, 50);
  const int volumes[8] = {100, 50, 25, 75, 100, 50, 0, 100};
  const int pans[8] = {0, 50, -50, 100, -100, 0, 0, 50};
  std::vector<std::unique_ptr<HandWave>> waves;
  for (int c = 0; c < 8; ++c) {
    waves.push_back(std::make_unique<HandWave>(
        Ramp(400 + 2 * 97 * static_cast<std::size_t>(c), static_cast<std::uint8_t>(31 * c))));
    WaveMixSetChannelVolume(session_, c, volumes[c], pans[c]);
    // Channel 7 plays once and ends on an odd position (its last byte is not heard).
    Play(c, *waves.back(), c < 7 ? MixPlayWait : 0, c < 7 ? MixLoopForever : 0);
  }
  Advance(400);
  const std::size_t count = 8820;
  std::vector<std::uint8_t> expected(count);
  for (std::size_t i = 0; i < count; ++i) {
    double total = 128;
    for (std::size_t c = 0; c < 8; ++c) {
      const auto& samples = waves[c]->samples();
      if (c == 7 && i + 1 >= samples.size()) continue;
      const int p = pans[c];
      const int side = i % 2 == 0 ? (p > 0 ? 100 - p : 100) : (p < 0 ? 100 + p : 100);
      total += (samples[i % samples.size()] - 128) * volumes[c] * 0.5 * side / 10000.0;
    }
    expected[i] = static_cast<std::uint8_t>(std::clamp(std::floor(total + 0.5), 0.0, 255.0));
  }
  EXPECT_EQ(Heard(from, count), expected);

  // A master volume alone, eight loud channels clipping: the same rounding of the scaled sum.
  WaveMixEndSession(session_);
  Start();
  WaveMixSetMasterVolume(session_, 37);
  const std::int32_t gain = session_->levels.gain[0][0];
  const std::size_t start = Recording().size();
  for (int c = 0; c < 8; ++c) Play(c, *waves[c], c < 7 ? MixPlayWait : 0, MixLoopForever);
  Advance(400);
  std::vector<std::uint8_t> master(4000);
  for (std::size_t i = 0; i < master.size(); ++i) {
    std::int32_t sum = 0;
    for (const auto& wave : waves) sum += wave->samples()[i % wave->samples().size()] - 128;
    master[i] = static_cast<std::uint8_t>(std::clamp(128 + ((sum * gain + 8192) >> 14), 0, 255));
  }
  EXPECT_EQ(Heard(start, master.size()), master);

  // The component's properties are the same settings.
  WaveMixEndSession(session_);
  TWaveMix mix;
  mix.SetMasterVolume(30);
  mix.SetChannelVolume(3, 40, -20);
  EXPECT_EQ(mix.MasterVolume(), 30);
  EXPECT_EQ(mix.ChannelVolume(3), 40);
  EXPECT_EQ(mix.ChannelPan(3), -20);
  ExpectMessage([&] { mix.SetChannelVolume(3, 40, -101); }, "Invalid pan");
}

TEST_F(LevelsStatusTest, BlocksFromTheConfigAndTheStatusOfChannelsAndStream) {
  WriteSettings("[default]\nWaveBlocks=5\nWaveBlockLen=1024\n");
  struct Case {
    std::uint16_t count, length;
    std::int32_t blockCount, blockLength;
  };
  for (const Case& c : {Case{1, 100, 2, 512}, Case{9, 5000, 6, 4096}, Case{3, 1001, 3, 1000},
                        Case{4, 0, 4, 4096}}) {
    const MixConfig config{
        sizeof(MixConfig), MixConfigChannels | MixConfigRate | MixConfigBlocks, 2, 44, c.count,
        c.length};
    InitEx(&config);
    EXPECT_EQ(session_->blockCount, c.blockCount);
    EXPECT_EQ(session_->blockLength, c.blockLength);
    WaveMixEndSession(session_);
  }
  // A record of the first version's 10 bytes is read no further and keeps its meaning: the
  // new flags are ignored and the settings file decides.
  std::vector<std::uint8_t> shortRecord(MixConfigShortSize);
  const MixConfig flags{MixConfigShortSize, MixConfigBlocks | MixConfigExactRate, 0, 0, 2, 512};
  std::memcpy(shortRecord.data(), &flags, MixConfigShortSize);
  InitEx(reinterpret_cast<const MixConfig*>(shortRecord.data()));
  EXPECT_EQ(session_->blockCount, 5);
  EXPECT_EQ(session_->blockLength, 1024);
  EXPECT_FALSE(session_->exactRate);
  WaveMixEndSession(session_);

  // Status and position, 3 blocks of 512 bytes at 11025 bytes per second.
  const MixConfig quick{sizeof(MixConfig), MixConfigBlocks, 0, 0, 3, 512};
  StartWith(quick);
  HandWave first(Ramp(2000));
  HandWave second(Ramp(1000, 7));
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 0), MixChannelOpen);
  WaveMixCloseChannels(session_, 5, 0);
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 5), 0u);
  ExpectMessage([&] { WaveMixGetChannelStatus(session_, 8); }, "Invalid channel number");
  Play(0, first);
  Play(0, second);
  Play(2, second, MixPlayWait);
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 0),
            MixChannelOpen | MixChannelSounding | MixChannelQueued);
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 2), MixChannelOpen | MixChannelQueued);
  EXPECT_EQ(WaveMixGetPosition(session_).frames, 0);
  Advance(100);
  MixPosition position = WaveMixGetPosition(session_);
  EXPECT_EQ(position.frames, static_cast<std::int64_t>(Recording().size()));
  EXPECT_EQ(position.milliseconds, position.frames * 1000 / 11025);
  Advance(100);  // first heard to its end at 1999: only second sounds
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 0), MixChannelOpen | MixChannelSounding);
  WaveMixActivate(session_, false);  // still to be heard when the device comes back
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 0), MixChannelOpen | MixChannelQueued);
  WaveMixActivate(session_, true);
  Advance(500);
  EXPECT_EQ(WaveMixGetChannelStatus(session_, 0), MixChannelOpen);
  // Once the device has run dry the position stays at the end of what was mixed.
  EXPECT_EQ(WaveMixGetPosition(session_).frames, session_->mixPosition);
  // The shifts that keep long streams in range are not seen in it.
  Play(1, first, 0, MixLoopForever);
  Advance(2000);
  position = WaveMixGetPosition(session_);
  wavemix::CurrentSession = session_;
  wavemix::ShiftPositions(11025);
  EXPECT_EQ(WaveMixGetPosition(session_).frames, position.frames);
}

}  // namespace
}  // namespace mixtest
