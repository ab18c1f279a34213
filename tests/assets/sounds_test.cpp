// SPDX-License-Identifier: MIT
// The two sound effects: valid PCM waves in the formats the game ships, of the right length, and
// audible. 1.wav is 16-bit mono 22050 Hz and 2.wav 8-bit stereo 11025 Hz, so both go through
// the mixer's conversion to its default 8-bit mono 11025 Hz.

#include <gtest/gtest.h>

#include "asset_files.h"
#include "wave_reader.h"

namespace {

WaveFile LoadWave(const std::string& name) {
  std::string error;
  auto wave = ParseWave(ReadWholeFile(BinPath(name)), error);
  if (!wave) ADD_FAILURE() << name << ": " << error;
  return wave.value_or(WaveFile{});
}

void ExpectConsistentPcm(const WaveFile& wave) {
  EXPECT_EQ(wave.formatTag, 1) << "PCM";
  EXPECT_EQ(wave.blockAlign, wave.channels * wave.bitsPerSample / 8);
  EXPECT_EQ(wave.avgBytesPerSec, wave.samplesPerSec * wave.blockAlign);
  ASSERT_GT(wave.blockAlign, 0);
  EXPECT_EQ(wave.data.size() % wave.blockAlign, 0u) << "data ends inside a frame";
}

}  // namespace

TEST(Sounds, AttackIsAShortLoudHitIn16BitMono22050) {
  const WaveFile wave = LoadWave("1.wav");
  ExpectConsistentPcm(wave);
  EXPECT_EQ(wave.channels, 1);
  EXPECT_EQ(wave.samplesPerSec, 22050u);
  EXPECT_EQ(wave.bitsPerSample, 16);
  EXPECT_GE(wave.Seconds(), 0.2);
  EXPECT_LE(wave.Seconds(), 0.4);
  EXPECT_GT(wave.Peak(), 0.3) << "too quiet for a hit";
  EXPECT_LT(wave.Peak(), 1.0) << "clipped";

  // Punchy: the loudest part is at the start, and it has died away by the end.
  WaveFile head = wave;
  head.data.resize(static_cast<size_t>(0.05 * 22050) * 2);
  WaveFile tail = wave;
  tail.data.erase(tail.data.begin(),
                  tail.data.end() - static_cast<std::ptrdiff_t>(0.03 * 22050) * 2);
  EXPECT_GT(head.Peak(), 5 * tail.Peak());
}

TEST(Sounds, ButtonIsABriefClickIn8BitStereo11025) {
  const WaveFile wave = LoadWave("2.wav");
  ExpectConsistentPcm(wave);
  EXPECT_EQ(wave.channels, 2);
  EXPECT_EQ(wave.samplesPerSec, 11025u);
  EXPECT_EQ(wave.bitsPerSample, 8);
  EXPECT_GT(wave.Seconds(), 0.01);
  EXPECT_LT(wave.Seconds(), 0.1);
  EXPECT_GT(wave.Peak(), 0.2) << "inaudible click";
}
