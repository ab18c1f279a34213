// The audio device that live music plays on: a FluidSynth audio driver pulling samples from
// a synthesizer on the driver's own thread.
#pragma once

#include <fluidsynth.h>

#include <memory>

namespace mci {

class AudioOutput {
 public:
  // Tries BRANDEL_MUSIC_DRIVER alone when set, else "pulseaudio", "sdl2" and "alsa" in
  // turn. Null when none opens (no sound card, no sound server, a driver unknown to this
  // FluidSynth): a clean failure, nothing printed.
  static std::unique_ptr<AudioOutput> Open(fluid_settings_t* settings, fluid_synth_t* synth);
  // Stops the driver's thread: after this nothing renders from the synthesizer.
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

 private:
  AudioOutput() = default;
  fluid_audio_driver_t* driver_ = nullptr;
  bool holdsSdlAudio_ = false;  // FluidSynth's SDL driver needs SDL's audio started
};

}  // namespace mci
