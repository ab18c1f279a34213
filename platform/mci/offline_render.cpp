// SPDX-License-Identifier: MIT
#include "platform/mci/offline_render.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/mci/midi_song.h"
#include "platform/mci/synth_host.h"

namespace mci {

OfflineRender RenderMidiOffline(const std::string& path, double seconds) {
  OfflineRender render;
  std::optional<MidiSong> song;
  if ((render.error = LoadMidiSong(path, &song)) != 0) return render;
  std::unique_ptr<SynthHost> host;
  if ((render.error = SynthHost::Create(SoundfontPath(), &host)) != 0) return render;
  PlayerPtr player = host->NewPlayer(*song, nullptr, nullptr);
  if (!player || fluid_player_play(player.get()) != FLUID_OK) {
    render.error = MCIERR_SYNTH_FAILED;
    return render;
  }

  render.sampleRate = host->SampleRate();
  const auto frames = static_cast<std::size_t>(std::max(0.0, seconds) * render.sampleRate);
  render.samples.resize(frames * 2);
  // Short steps, like an audio driver's periods; the player advances with each.
  constexpr std::size_t kStep = 1024;
  for (std::size_t done = 0; done < frames; done += kStep) {
    const int count = static_cast<int>(std::min(kStep, frames - done));
    std::int16_t* out = render.samples.data() + done * 2;
    fluid_synth_write_s16(host->Synth(), count, out, 0, 2, out, 1, 2);
  }
  return render;
}

}  // namespace mci
