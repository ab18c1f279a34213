// SPDX-License-Identifier: MIT
#include "game/sound_levels.h"

#include "game/unit1.h"
#include "platform/mci/music_volume.h"

namespace brandel {

void SoundLevels::Apply(const PlayerSettings& settings) {
  mci::SetMusicVolume(settings.mute ? 0 : settings.musicVolume);
  (void)form_;
}

}  // namespace brandel
