// SPDX-License-Identifier: MIT
// gen-sounds OUTDIR: writes OUTDIR/1.wav (attack) and OUTDIR/2.wav (button).
//
// The two files use different formats on purpose, neither of them the mixer's default 8-bit
// mono 11025 Hz, so the game always exercises the mixer's conversion.
//
// Levels: the mixer adds the two effects around the 8-bit midpoint and clips the sum, and
// presses start them at any distance apart, so their peaks together stay below full scale
// (0.60 + 0.38 of it). Beside the finale's music (about -19 dBFS RMS) the hit then sounds as
// loud as the music, the click a little below it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "synth.h"
#include "wav_writer.h"

namespace {

constexpr float kAttackPeakDb = -4.5f;
constexpr float kButtonPeakDb = -8.5f;

// Scales the samples so that the loudest one lies at peakDb below full scale.
std::vector<float> AtPeak(std::vector<float> samples, float peakDb) {
  float loudest = 0.0f;
  for (float s : samples) loudest = std::max(loudest, std::fabs(s));
  if (loudest == 0.0f) return samples;
  const float gain = std::pow(10.0f, peakDb / 20.0f) / loudest;
  for (float& s : samples) s *= gain;
  return samples;
}

std::vector<float> ToStereo(const std::vector<float>& mono, float leftGain, float rightGain) {
  std::vector<float> out;
  out.reserve(mono.size() * 2);
  for (float s : mono) {
    out.push_back(s * leftGain);
    out.push_back(s * rightGain);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];

  const PcmFormat attackFormat{1, 22050, 16};
  const PcmFormat buttonFormat{2, 11025, 8};
  const std::string attackPath = dir + "/1.wav";
  const std::string buttonPath = dir + "/2.wav";

  if (!WriteWave(attackPath, attackFormat,
                 AtPeak(SynthAttackHit(attackFormat.samplesPerSec), kAttackPeakDb))) {
    std::perror(attackPath.c_str());
    return 1;
  }
  // Slightly left of centre, as if the button sat beside the scene.
  if (!WriteWave(buttonPath, buttonFormat,
                 ToStereo(AtPeak(SynthButtonClick(buttonFormat.samplesPerSec), kButtonPeakDb), 1.0f,
                          0.8f))) {
    std::perror(buttonPath.c_str());
    return 1;
  }
  return 0;
}
