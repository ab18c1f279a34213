// SPDX-License-Identifier: MIT
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Small linear congruential generator: the same noise on every platform and build.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / static_cast<float>(1u << 23) - 1.0f;
  }

 private:
  uint32_t state_;
};

constexpr double kTwoPi = 2.0 * std::numbers::pi;

}  // namespace

std::vector<float> SynthAttackHit(uint32_t sampleRate) {
  const double seconds = 0.3;
  const auto count = static_cast<size_t>(seconds * sampleRate);
  std::vector<float> out(count);
  Noise noise(0x1234567u);
  double phase = 0.0;
  float lowpassed = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double attack = std::min(1.0, t / 0.002);  // 2 ms, avoids a click at the start
    // The noise is short and bright, the tone carries the body of the hit.
    const double noiseEnv = attack * std::exp(-t / 0.035);
    const double toneEnv = attack * std::exp(-t / 0.09);
    const double freq = 60.0 + 360.0 * std::exp(-t / 0.05);
    phase += kTwoPi * freq / sampleRate;
    lowpassed += 0.45f * (noise.Next() - lowpassed);
    const double tone = std::sin(phase) + 0.3 * std::sin(2.0 * phase);
    const double fadeOut = std::min(1.0, (seconds - t) / 0.01);
    out[i] = static_cast<float>((0.75 * noiseEnv * lowpassed + 0.7 * toneEnv * tone) * fadeOut);
  }
  return out;
}

std::vector<float> SynthButtonClick(uint32_t sampleRate) {
  const double seconds = 0.06;
  const auto count = static_cast<size_t>(seconds * sampleRate);
  std::vector<float> out(count);
  Noise noise(0x2bd1u);
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double tick = t < 0.003 ? noise.Next() * (1.0 - t / 0.003) : 0.0;
    const double blip = std::sin(kTwoPi * 1400.0 * t) * std::exp(-t / 0.012);
    const double fadeOut = std::min(1.0, (seconds - t) / 0.005);
    out[i] = static_cast<float>((0.5 * tick + 0.6 * blip) * fadeOut);
  }
  return out;
}
