// SPDX-License-Identifier: MIT
// The FluidSynth set-up that live playback and offline rendering share: settings, a
// synthesizer with the General MIDI soundfont, and a file player over a checked song.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "platform/mci/mci.h"
#include "platform/mci/midi_song.h"

namespace mci {

// BRANDEL_SOUNDFONT when set, else Debian's default General MIDI soundfont.
std::string SoundfontPath();

struct PlayerDeleter {
  void operator()(fluid_player_t* player) const { delete_fluid_player(player); }
};
using PlayerPtr = std::unique_ptr<fluid_player_t, PlayerDeleter>;

class SynthHost {
 public:
  // Loads the soundfont whole, so no sample is ever read from disk on the thread that renders.
  // The player runs on the synthesizer's sample clock: live it follows the audio output,
  // offline the rendering. MCIERR_NO_SOUNDFONT or MCIERR_SYNTH_FAILED on failure. Safe on any
  // thread; FluidSynth's and GLib's messages are silenced before the first synthesizer.
  static MCIERROR Create(const std::string& soundfont, std::unique_ptr<SynthHost>* host);
  ~SynthHost();
  SynthHost(const SynthHost&) = delete;
  SynthHost& operator=(const SynthHost&) = delete;

  const std::string& Soundfont() const { return soundfont_; }
  fluid_synth_t* Synth() const { return synth_; }
  double SampleRate() const;
  // The output level as a share (0..100 per cent) of the level the synthesizer was made with;
  // 100 gives that level exactly. FluidSynth takes it on any thread.
  void SetVolume(int percent);

  // A player loaded with the song, not started; null on failure. onTick (may be null) is
  // called on the thread that renders, once per step of the player's clock.
  PlayerPtr NewPlayer(const MidiSong& song, handle_midi_tick_func_t onTick, void* tickData) const;

 private:
  SynthHost() = default;
  std::string soundfont_;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
};

}  // namespace mci
