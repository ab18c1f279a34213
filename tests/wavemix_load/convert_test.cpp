// SPDX-License-Identifier: MIT
// Expected bytes below are worked out by hand from the conversion rules, not by the code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "wavemix/internal.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

wo::PCMWAVEFORMAT Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  return {wo::WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits};
}

std::uint8_t* Block(const Bytes& bytes) {
  auto* block = static_cast<std::uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  return block;
}

// Runs the conversion and hands back the result's bytes, releasing its block.
Bytes Convert(const wo::PCMWAVEFORMAT& to, const wo::PCMWAVEFORMAT& from, const Bytes& in) {
  std::uint32_t size = static_cast<std::uint32_t>(in.size());
  std::uint8_t* out = wavemix::ConvertWaveFormat(to, from, Block(in), size);
  EXPECT_NE(out, nullptr);
  if (out == nullptr) return {};
  Bytes result(out, out + size);
  std::free(out);
  return result;
}

std::string ConvertError(const wo::PCMWAVEFORMAT& to, const wo::PCMWAVEFORMAT& from, const Bytes& in) {
  std::uint32_t size = static_cast<std::uint32_t>(in.size());
  try {
    std::uint8_t* out = wavemix::ConvertWaveFormat(to, from, Block(in), size);
    std::free(out);
  } catch (const EWaveMixError& e) {
    return e.what();
  }
  return "no error";
}

const std::string kOutOfMemory =
    "Unable to allocate memory for waveform data.  Try making more memory available by "
    "closing other applications.";

const wo::PCMWAVEFORMAT kMono11 = Format(1, 11025, 8);

TEST(ConvertWaveFormat, MatchingFormatReturnsTheSameBlockUntouched) {
  wo::PCMWAVEFORMAT source = Format(1, 11025, 8);
  source.wFormatTag = 7;  // tag, byte rate and alignment are not compared
  source.nAvgBytesPerSec = 1;
  source.nBlockAlign = 9;
  std::uint8_t* block = Block({42});
  std::uint32_t size = 1;
  EXPECT_EQ(wavemix::ConvertWaveFormat(kMono11, source, block, size), block);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(block[0], 42);
  std::free(block);
}

TEST(ConvertWaveFormat, SixteenToEightTakesTheHighByteWithItsTopBitInverted) {
  // -32768, -1, 0, 32767, 0x1234, -0x1234, then one odd byte that is dropped.
  const Bytes in = {0x00, 0x80, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x7F, 0x34, 0x12, 0xCC, 0xED, 0x55};
  EXPECT_EQ(Convert(kMono11, Format(1, 11025, 16), in), (Bytes{0, 127, 128, 255, 0x92, 0x6D}));
}

TEST(ConvertWaveFormat, EightToSixteenScalesAroundSilence) {
  EXPECT_EQ(Convert(Format(1, 11025, 16), kMono11, {0, 128, 255, 1}),
            (Bytes{0x00, 0x80, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x81}));
}

TEST(ConvertWaveFormat, ChannelSteps) {
  EXPECT_EQ(Convert(Format(2, 11025, 8), kMono11, {10, 200, 128}),
            (Bytes{10, 10, 200, 200, 128, 128}));
  // Averages of unsigned samples round down; the odd last sample is dropped.
  EXPECT_EQ(Convert(kMono11, Format(2, 11025, 8), {10, 11, 255, 254, 0, 1, 7}),
            (Bytes{10, 254, 0}));
}

TEST(ConvertWaveFormat, RaisingTheRateInterpolatesWithTruncatedSteps) {
  // K = 2: steps 5, -5/2 = -2, -55/2 = -27; the last frame twice.
  EXPECT_EQ(Convert(Format(1, 22050, 8), kMono11, {100, 110, 105, 50}),
            (Bytes{100, 105, 110, 108, 105, 78, 50, 50}));
  // K = 4.
  EXPECT_EQ(Convert(Format(1, 44100, 8), kMono11, {0, 255, 3}),
            (Bytes{0, 63, 126, 189, 255, 192, 129, 66, 3, 3, 3, 3}));
  // 8000 -> 22050 gives K = 2; 16000 -> 22050 gives K = 1, a plain copy.
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(1, 8000, 8), {0, 9}), (Bytes{0, 4, 9, 9}));
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(1, 16000, 8), {5, 6, 7}), (Bytes{5, 6, 7}));
  // Stereo: each channel on its own.
  EXPECT_EQ(Convert(Format(2, 22050, 8), Format(2, 11025, 8), {100, 0, 104, 10}),
            (Bytes{100, 0, 102, 5, 104, 10, 104, 10}));
}

TEST(ConvertWaveFormat, LoweringTheRateAveragesTowardSilenceAndCopiesTheLastFrame) {
  // D = 2, 9 frames -> 4: (2+3)/2 = 2, (-8-7)/2 = -7, (72-28)/2 = 22, then a copy of frame 6.
  EXPECT_EQ(Convert(kMono11, Format(1, 22050, 8), {130, 131, 120, 121, 200, 100, 9, 9, 50}),
            (Bytes{130, 121, 150, 9}));
  // D = 4: -511/4 truncates to -127; the last output frame copies frame 4.
  EXPECT_EQ(Convert(kMono11, Format(1, 44100, 8), {0, 0, 0, 1, 255, 255, 255, 255, 60, 70}),
            (Bytes{1, 255}));
  // 33075 / 22050 = 1.5 rounds up to D = 2; 32000 / 22050 rounds to D = 1.
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(1, 33075, 8), {10, 20, 30, 40, 50}), (Bytes{15, 30}));
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(1, 32000, 8), {1, 2, 3}), (Bytes{1, 2, 3}));
  // 48000 -> 22050: D = 2.
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(1, 48000, 8), {128, 132, 7, 9, 50}), (Bytes{130, 7}));
  // Stereo.
  EXPECT_EQ(Convert(Format(2, 11025, 8), Format(2, 22050, 8), {100, 200, 110, 210, 0, 255, 1, 255}),
            (Bytes{105, 205, 0, 255}));
}

TEST(ConvertWaveFormat, StepsCombineInOrder) {
  // 16-bit stereo 44100 -> 8-bit mono 22050: 20 bytes (5 frames) -> 2 bytes.
  const Bytes in = {0x00, 0x01, 0x00, 0x03,   // 129, 131 -> 130
                    0x00, 0xFF, 0x00, 0xFE,   // 127, 126 -> 126
                    0x00, 0x7F, 0x00, 0x7F,   // 255
                    0x00, 0x80, 0x00, 0x80,   // 0
                    0x00, 0x10, 0x00, 0x20};  // 144, 160 -> 152 (dropped by D = 2)
  EXPECT_EQ(Convert(Format(1, 22050, 8), Format(2, 44100, 16), in), (Bytes{128, 255}));
  // 8-bit mono 11025 -> stereo 22050: doubled, then interpolated per channel.
  EXPECT_EQ(Convert(Format(2, 22050, 8), kMono11, {10, 20}),
            (Bytes{10, 10, 15, 15, 20, 20, 20, 20}));
  // 16-bit mono 22050 -> 8-bit stereo 11025.
  EXPECT_EQ(Convert(Format(2, 11025, 8), Format(1, 22050, 16), {0x00, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x20}),
            (Bytes{131, 131, 144, 144}) );
}

TEST(ConvertWaveFormat, EmptyResultsAndUnknownDepthsFail) {
  EXPECT_EQ(ConvertError(kMono11, Format(1, 11025, 16), {0x12}), kOutOfMemory);
  EXPECT_EQ(ConvertError(kMono11, Format(2, 11025, 8), {0x12}), kOutOfMemory);
  EXPECT_EQ(ConvertError(kMono11, Format(1, 44100, 8), {1, 2, 3}), kOutOfMemory);  // 3 div 4 = 0
  EXPECT_EQ(ConvertError(kMono11, Format(1, 11025, 24), {1, 2, 3, 4, 5, 6}), "File format not supported");
  EXPECT_EQ(ConvertError(kMono11, Format(1, 11025, 4), {1, 2}), "File format not supported");
  EXPECT_EQ(ConvertError(kMono11, Format(2, 44100, 24), {1, 2, 3, 4, 5, 6}), "File format not supported");
  // A rate near 2^32 gives a huge divisor, not a wrapped one: no whole output frame.
  EXPECT_EQ(ConvertError(kMono11, Format(1, 0xFFFFFFFFu, 8), {1, 2, 3, 4}), kOutOfMemory);
  // A one-byte wave already in the output format is fine.
  EXPECT_EQ(Convert(kMono11, kMono11, {77}), (Bytes{77}));
}

TEST(ConvertWaveFormat, ShapesItCannotConvertGiveNoBlock) {
  // The channel and rate steps know 8-bit output, mono and stereo, nonzero rates. The input
  // block is released either way (ASan's leak check sees it).
  for (const auto& [to, from] : {std::pair{Format(1, 22050, 16), kMono11},
                                 std::pair{kMono11, Format(3, 11025, 8)},
                                 std::pair{kMono11, Format(0, 11025, 8)},
                                 std::pair{kMono11, Format(1, 0, 8)}}) {
    std::uint32_t size = 4;
    EXPECT_EQ(wavemix::ConvertWaveFormat(to, from, Block({1, 2, 3, 4}), size), nullptr);
  }
}

}  // namespace
