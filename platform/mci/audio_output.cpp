#include "platform/mci/audio_output.h"

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace mci {
namespace {

std::vector<std::string> DriversToTry() {
  const char* configured = std::getenv("BRANDEL_MUSIC_DRIVER");
  if (configured != nullptr && *configured != '\0') return {configured};
  // The sound server first (PipeWire serves it too), then SDL, which finds its own way,
  // then the bare device.
  return {"pulseaudio", "sdl2", "alsa"};
}

}  // namespace

std::unique_ptr<AudioOutput> AudioOutput::Open(fluid_settings_t* settings, fluid_synth_t* synth) {
  for (const std::string& name : DriversToTry()) {
    std::unique_ptr<AudioOutput> output(new AudioOutput);
    if (name == "sdl2") {
      // SDL counts these, so the wave output's own use of SDL audio is left alone.
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) continue;
      output->holdsSdlAudio_ = true;
    }
    if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) != FLUID_OK) continue;
    output->driver_ = new_fluid_audio_driver(settings, synth);
    if (output->driver_ != nullptr) return output;
  }
  return nullptr;
}

AudioOutput::~AudioOutput() {
  if (driver_ != nullptr) delete_fluid_audio_driver(driver_);
  if (holdsSdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace mci
