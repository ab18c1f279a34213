// SPDX-License-Identifier: MIT
#include "platform/mci/synth_host.h"

#include <glib.h>

#include <cstdlib>
#include <mutex>

#include "platform/mci/soundfont_file.h"

namespace mci {
namespace {

constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";

// The synthesizer's output level. FluidSynth's default (0.2) leaves a General MIDI score some
// 8 dB below the game's effects; this brings the finale to about -19 dBFS RMS without clipping.
constexpr double kGain = 0.56;

void DiscardFluidMessage(int, const char*, void*) {}
void DiscardGLibMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// FluidSynth reports every failed load on stderr by default, and a damaged soundfont makes
// its DLS loader's library print GLib criticals (with no log domain of their own). Our callers
// get an error code instead, so both are silenced once, before any synthesizer exists.
void SilenceSynthMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
      fluid_set_log_function(level, DiscardFluidMessage, nullptr);
    }
    g_log_set_handler(
        nullptr,
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                    G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
        DiscardGLibMessage, nullptr);
  });
}

// The one place the soundfont is loaded: through the loader that opens only regular files.
MCIERROR LoadSoundfont(fluid_synth_t* synth, fluid_settings_t* settings, const std::string& path) {
  if (!AddRegularFileLoader(synth, settings)) return MCIERR_SYNTH_FAILED;
  return fluid_synth_sfload(synth, path.c_str(), 1) == FLUID_FAILED ? MCIERR_NO_SOUNDFONT : 0;
}

}  // namespace

std::string SoundfontPath() {
  const char* configured = std::getenv("BRANDEL_SOUNDFONT");
  return configured != nullptr && *configured != '\0' ? configured : kDefaultSoundfont;
}

MCIERROR SynthHost::Create(const std::string& soundfont, std::unique_ptr<SynthHost>* host) {
  SilenceSynthMessages();
  host->reset();
  if (!IsSoundfontFile(soundfont)) return MCIERR_NO_SOUNDFONT;

  std::unique_ptr<SynthHost> made(new SynthHost);
  made->soundfont_ = soundfont;
  made->settings_ = new_fluid_settings();
  if (made->settings_ == nullptr) return MCIERR_SYNTH_FAILED;
  fluid_settings_setint(made->settings_, "synth.dynamic-sample-loading", 0);
  fluid_settings_setnum(made->settings_, "synth.gain", kGain);
  fluid_settings_setstr(made->settings_, "player.timing-source", "sample");
  made->synth_ = new_fluid_synth(made->settings_);
  if (made->synth_ == nullptr) return MCIERR_SYNTH_FAILED;
  if (MCIERROR error = LoadSoundfont(made->synth_, made->settings_, soundfont)) return error;
  *host = std::move(made);
  return 0;
}

SynthHost::~SynthHost() {
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

double SynthHost::SampleRate() const {
  double rate = 44100;
  fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
  return rate;
}

void SynthHost::SetVolume(int percent) {
  const double gain = percent >= 100 ? kGain : kGain * percent / 100.0;
  fluid_synth_set_gain(synth_, static_cast<float>(gain));
}

PlayerPtr SynthHost::NewPlayer(const MidiSong& song, handle_midi_tick_func_t onTick,
                               void* tickData) const {
  PlayerPtr player(new_fluid_player(synth_));
  if (!player) return nullptr;
  if (onTick != nullptr) fluid_player_set_tick_callback(player.get(), onTick, tickData);
  // The player copies the bytes.
  if (fluid_player_add_mem(player.get(), song.bytes.data(), song.bytes.size()) != FLUID_OK) {
    return nullptr;
  }
  return player;
}

}  // namespace mci
