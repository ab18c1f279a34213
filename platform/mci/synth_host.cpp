#include "platform/mci/synth_host.h"

#include <cstdlib>
#include <mutex>

#include "platform/mci/soundfont_file.h"

namespace mci {
namespace {

constexpr const char* kDefaultSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";

void DiscardLogMessage(int, const char*, void*) {}

// FluidSynth reports every failed driver and missing file on stderr by default; our
// callers get an error code instead, so its log is silenced once, before any of its
// threads exist.
void SilenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
      fluid_set_log_function(level, DiscardLogMessage, nullptr);
    }
  });
}

}  // namespace

std::string SoundfontPath() {
  const char* configured = std::getenv("BRANDEL_SOUNDFONT");
  return configured != nullptr && *configured != '\0' ? configured : kDefaultSoundfont;
}

MCIERROR SynthHost::Create(std::unique_ptr<SynthHost>* host) {
  SilenceFluidLog();
  host->reset();
  const std::string soundfont = SoundfontPath();
  if (!IsSoundfontFile(soundfont)) return MCIERR_NO_SOUNDFONT;

  std::unique_ptr<SynthHost> made(new SynthHost);
  made->settings_ = new_fluid_settings();
  if (made->settings_ == nullptr) return MCIERR_SYNTH_FAILED;
  fluid_settings_setint(made->settings_, "synth.dynamic-sample-loading", 1);
  fluid_settings_setstr(made->settings_, "player.timing-source", "sample");
  made->synth_ = new_fluid_synth(made->settings_);
  if (made->synth_ == nullptr) return MCIERR_SYNTH_FAILED;
  if (!AddRegularFileLoader(made->synth_, made->settings_)) return MCIERR_SYNTH_FAILED;
  if (fluid_synth_sfload(made->synth_, soundfont.c_str(), 1) == FLUID_FAILED) {
    return MCIERR_NO_SOUNDFONT;
  }
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
