// SPDX-License-Identifier: MIT
#pragma once
// The two sound effects, synthesised as mono float samples in -1..1. Deterministic: the noise
// comes from a fixed-seed generator, so every build writes the same bytes.

#include <cstdint>
#include <vector>

// A punchy hit: a noise burst with a sharp attack over a tone that falls from about 420 Hz to
// 60 Hz, 0.3 s long.
std::vector<float> SynthAttackHit(uint32_t sampleRate);

// A short button click: a bright tick and a quickly damped 1.4 kHz blip, 60 ms long.
std::vector<float> SynthButtonClick(uint32_t sampleRate);
