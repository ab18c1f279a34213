// SPDX-License-Identifier: MIT
#include "game/sound_levels.h"

#include "game/unit1.h"
#include "platform/mci/music_volume.h"

namespace brandel {

void SoundLevels::Apply(const PlayerSettings& settings) {
  mci::SetMusicVolume(settings.mute ? 0 : settings.musicVolume);
  form_->SetQuickEffects(settings.quickResponse);
  const int effects = settings.mute ? 0 : settings.effectsVolume;
  try {
    // Not even asked at full volume: the mixer's plain sum stays the output, byte for byte.
    if (effects != form_->WaveMix1->MasterVolume()) form_->WaveMix1->SetMasterVolume(effects);
  } catch (const EWaveMixError&) {
    // The levels are a comfort: a mixer that refuses them leaves the sound as it is.
  }
}

}  // namespace brandel
