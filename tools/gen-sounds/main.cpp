// gen-sounds OUTDIR: writes OUTDIR/1.wav (attack) and OUTDIR/2.wav (button).
//
// The two files use different formats on purpose, neither of them the mixer's default 8-bit
// mono 11025 Hz, so the game always exercises the mixer's conversion.

#include <cstdio>
#include <string>
#include <vector>

#include "synth.h"
#include "wav_writer.h"

namespace {

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

  if (!WriteWave(attackPath, attackFormat, SynthAttackHit(attackFormat.samplesPerSec))) {
    std::perror(attackPath.c_str());
    return 1;
  }
  // Slightly left of centre, as if the button sat beside the scene.
  if (!WriteWave(buttonPath, buttonFormat,
                 ToStereo(SynthButtonClick(buttonFormat.samplesPerSec), 1.0f, 0.8f))) {
    std::perror(buttonPath.c_str());
    return 1;
  }
  return 0;
}
