// SPDX-License-Identifier: MIT
#pragma once
// The finale's music: a dramatic A-minor opening while the hero shields the city from the lasers,
// then, from a deceptive cadence, a slow and tender F-major close for "please stop". About 52 s.

#include <cstdint>
#include <vector>

#include "midi_writer.h"

constexpr uint16_t kTicksPerQuarter = 480;

// Track 0 carries the tempo map; every other track holds one General MIDI channel.
std::vector<MidiTrack> ComposeFinale();
