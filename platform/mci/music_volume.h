// SPDX-License-Identifier: MIT
// The music's loudness, set by the player: a share of the synthesizer's own level, applied by
// every open sequencer from the next buffer it renders. At 0 the music plays on silently, so
// its position and its end notice are those of music heard. Any thread.
#pragma once

namespace mci {

constexpr int kFullMusicVolume = 100;

// percent is clamped to 0..100; 100 (the default) leaves the synthesizer's output untouched.
void SetMusicVolume(int percent);
int MusicVolume();

}  // namespace mci
