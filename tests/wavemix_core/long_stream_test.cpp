// SPDX-License-Identifier: MIT
// Requests whose end lies past the largest stream position, and a stream that sounds for more
// than 2^31 bytes without a pause.
#include <cstring>
#include <random>

#include "mixer_fixture.h"

namespace mixtest {
namespace {

class LongStreamTest : public MixerTest {};

TEST_F(LongStreamTest, RequestsAndStreamsGoOnPastTheLargestPosition) {
  // 65535 passes of 40000 bytes end past the largest position: the request sounds until it
  // is flushed, rather than ending in the past unheard.
  Start();
  HandWave long40000(Ramp(40000));
  Play(0, long40000, 0, 65534, NotifyWindow());
  EXPECT_EQ(session_->channelTable[0]->End, NeverPosition);
  Advance(8000);  // 88200 bytes
  EXPECT_EQ(Heard(0, 88200), Expected()
                                 .Bytes(long40000.samples(), 0, 40000)
                                 .Bytes(long40000.samples(), 0, 40000)
                                 .Bytes(long40000.samples(), 0, 8200)
                                 .get());
  WaveMixFlushChannels(session_, 0, 0);
  EXPECT_EQ(session_->channelTable[0], nullptr);
  WaveMixEndSession(session_);

  // Seven hours of 44 kHz stereo are 2.2e9 bytes: a loop of bytes that never repeat within it
  // must be heard whole on both sides of 2^31, and a request made after that point too.
  const MixConfig config{sizeof(MixConfig), MixConfigChannels | MixConfigRate, 2, 44};
  InitEx(&config);
  WaveMixActivate(session_, true);
  WaveMixOpenChannels(session_, 0, MixOpenAll);
  std::mt19937 random(8);
  std::vector<std::uint8_t> bytes(30002);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(1 + random() % 127);
  HandWave loop(bytes);
  std::uint64_t heard = 0;
  std::uint64_t firstWrong = 0;
  bool wrong = false;
  device_->SetRecordingSink([&](const std::uint8_t* data, std::size_t count) {
    while (count > 0 && !wrong) {
      const std::size_t phase = heard % bytes.size();
      const std::size_t n = std::min(count, bytes.size() - phase);
      if (std::memcmp(data, bytes.data() + phase, n) != 0) {
        wrong = true;
        firstWrong = heard;
      }
      heard += n;
      data += n;
      count -= n;
    }
  });
  Play(0, loop, 0, MixLoopForever);
  for (int hour = 0; hour < 7; ++hour) Advance(3'600'000);
  EXPECT_GT(heard, std::uint64_t{1} << 31);
  HandWave silent(Constant(1000, 128));
  Play(1, silent, MixPlayHighPriority, 0, NotifyWindow());
  Advance(1000);
  EXPECT_FALSE(wrong) << "byte " << firstWrong << " of " << heard;
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0].wave, reinterpret_cast<msg::LPARAM>(silent.get()));
  device_->SetRecordingSink(nullptr);
}

}  // namespace
}  // namespace mixtest
