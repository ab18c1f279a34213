// SPDX-License-Identifier: MIT
// The player's sound levels applied to the game: the effects' volume scales what the mixer
// hands the device, the music's volume the synthesizer's output, and mute sets both to silence
// while the streams run on, so unmuting is immediate and positions and notices stay as they
// were.
#pragma once

#include "game/player_settings.h"

namespace brandel {

class TForm1;

class SoundLevels {
 public:
  explicit SoundLevels(TForm1* form) : form_(form) {}

  // Levels at 100 % and unmuted leave the sound exactly as mixed and synthesized.
  void Apply(const PlayerSettings& settings);

 private:
  TForm1* form_;
};

}  // namespace brandel
