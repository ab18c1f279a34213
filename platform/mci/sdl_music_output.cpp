// SPDX-License-Identifier: MIT
// The music on SDL2's default output: SDL's thread calls Callback, which renders straight into
// SDL's buffer. 16-bit stereo at the synthesizer's rate; SDL converts to what the device takes.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/mci/audio_output.h"
#include "platform/mci/failure_report.h"
#include "platform/waveout/sdl_audio_start.h"

namespace mci {
namespace {

// The callback's period, and with SDL's PulseAudio driver all the buffering there is between
// the synthesizer and the sound server: 186 ms at 44100 Hz rides out a loaded desktop (46 and
// 93 ms still broke up with two busy loops on a busy machine). The music is no cue to a press:
// a later start does not matter, a gap does. SDL's PipeWire driver calls back from its own
// loop as the server's cycles take buffers: while another client held the graph at 5.3 ms
// cycles, 186 ms at once (up to 9 ms of synthesis) and 23 ms at a time both left gaps of a
// cycle or three under load; 93 ms at a time left none.
Uint16 BufferFrames() {
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver != nullptr && std::string(driver) == "pipewire" ? 4096 : 8192;
}
// Silence ahead of the first note: a server that mixes a new stream in ahead of its clock may
// cut the first milliseconds of it, and these should not be the music's.
constexpr double kLeadInSeconds = 0.02;

constexpr const char* kWhatToDo =
    "; check the sound server (pactl info), or play silently with WAVEMIX_OUTPUT=null. The game "
    "plays on without music.";

class SdlMusicOutput final : public AudioOutput {
 public:
  SdlMusicOutput(AudioOutput::RenderFunction render, void* context)
      : render_(render), context_(context) {}

  ~SdlMusicOutput() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for a callback still running
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Start(double sampleRate) {
    audioStarted_ = wo::StartSdlAudio();
    if (!audioStarted_) {
      ReportMusicFailure(std::string("no audio output through SDL: ") + SDL_GetError() + kWhatToDo);
      return false;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(std::lround(sampleRate));
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = BufferFrames();
    want.callback = &SdlMusicOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec got{};
    leadInFrames_ = static_cast<int>(std::lround(sampleRate * kLeadInSeconds));
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    if (device_ == 0) {
      ReportMusicFailure(std::string("SDL cannot open the default audio output: ") +
                         SDL_GetError() + kWhatToDo);
      return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

 private:
  static void SDLCALL Callback(void* self, Uint8* out, int length) {
    auto* output = static_cast<SdlMusicOutput*>(self);
    auto* frames = reinterpret_cast<std::int16_t*>(out);
    int count = length / static_cast<int>(2 * sizeof(std::int16_t));
    const int lead = std::min(count, output->leadInFrames_);
    std::fill_n(frames, 2 * lead, std::int16_t{0});
    output->leadInFrames_ -= lead;
    if (count > lead) output->render_(output->context_, frames + 2 * lead, count - lead);
  }

  AudioOutput::RenderFunction render_;
  void* context_;
  bool audioStarted_ = false;
  SDL_AudioDeviceID device_ = 0;
  int leadInFrames_ = 0;  // silence still to come before the first note; SDL's thread only
};

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlMusicOutput(double sampleRate,
                                                AudioOutput::RenderFunction render, void* context) {
  auto output = std::make_unique<SdlMusicOutput>(render, context);
  if (!output->Start(sampleRate)) return nullptr;
  return output;
}

}  // namespace mci
