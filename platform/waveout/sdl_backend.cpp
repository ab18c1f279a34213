// SPDX-License-Identifier: MIT
// WAVEMIX_OUTPUT=sdl (the default): real devices through SDL2 audio in callback mode.
//
// Device 0 is the system's default output; the devices SDL lists follow. Drivers that only
// know a default device (SDL's dummy and disk drivers among them) list exactly one,
// "System audio output device": that one is device 0 and nothing follows. Where SDL lists
// no device at all there is none.
//
// SDL's thread runs only Callback: it takes bytes from the block stream (which posts
// "block finished" messages) and never touches a caller's header. No lock of ours is held
// while SDL is called.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/waveout/backend.h"
#include "platform/waveout/sdl_audio_start.h"

namespace wo {
namespace {

constexpr const char* kOnlyDefaultDeviceName = "System audio output device";
constexpr const char* kDefaultOutputName = "Default output";

// About 23 ms of sound per callback: SDL's buffer adds this much latency on top of the
// blocks the caller keeps queued.
std::uint16_t DeviceBufferSamples(std::uint32_t rate) {
  if (rate <= 11025) return 256;
  if (rate <= 22050) return 512;
  return 1024;
}

class SdlDevice final : public WaveOutDevice {
 public:
  using WaveOutDevice::WaveOutDevice;

  ~SdlDevice() override {
    if (id_ != 0) SDL_CloseAudioDevice(id_);  // waits for a callback still running
  }

  // name null: the default device.
  bool Start(const char* name) {
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.nSamplesPerSec);
    want.format = AUDIO_U8;
    want.channels = static_cast<Uint8>(format.nChannels);
    want.samples = DeviceBufferSamples(format.nSamplesPerSec);
    want.callback = &SdlDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec got{};
    id_ = SDL_OpenAudioDevice(name, 0, &want, &got, 0);
    if (id_ == 0) {
      std::fprintf(stderr, "wave output: SDL cannot open %s: %s\n", name ? name : "the default output",
                   SDL_GetError());
      return false;
    }
    SDL_PauseAudioDevice(id_, 0);
    return true;
  }

  // SDL asks for the next buffer once the driver has taken the previous one, so what the
  // latest callback took from blocks counts as heard when the next callback comes (at once
  // when that one finds nothing to take). Never early, and the step falls on a callback,
  // where "block finished" messages are posted, so a pump sees it as soon as it can.
  Positions GetPositions() override {
    const BlockStream::PlayedSnapshot s = stream.Snapshot();
    return {s.played, static_cast<std::int64_t>(s.played) - s.lastConsumedBlockBytes};
  }

 private:
  static void SDLCALL Callback(void* self, Uint8* out, int length) {
    static_cast<SdlDevice*>(self)->stream.Consume(out, static_cast<std::uint32_t>(length));
  }

  SDL_AudioDeviceID id_ = 0;
};

class SdlBackend final : public Backend {
 public:
  ~SdlBackend() override {
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  std::uint32_t DeviceCount() override {
    if (!Init()) return 0;
    const int listed = SDL_GetNumAudioDevices(0);
    if (listed <= 0) return 0;
    return OnlyDefault(listed) ? 1 : 1 + static_cast<std::uint32_t>(listed);
  }

  MMRESULT Capabilities(std::uint32_t deviceId, WAVEOUTCAPS* caps) override {
    if (!Init()) return MMSYSERR_NODRIVER;
    std::string name;
    SDL_AudioSpec spec{};
    if (deviceId == 0) {
      char* defaultName = nullptr;
      if (SDL_GetDefaultAudioInfo(&defaultName, &spec, 0) == 0 && defaultName != nullptr) {
        name = defaultName;
        SDL_free(defaultName);
      } else if (OnlyDefault(SDL_GetNumAudioDevices(0))) {
        name = kOnlyDefaultDeviceName;
      } else {
        name = kDefaultOutputName;
      }
    } else {
      const char* listedName = SDL_GetAudioDeviceName(static_cast<int>(deviceId - 1), 0);
      if (listedName == nullptr) return MMSYSERR_BADDEVICEID;
      name = listedName;
      SDL_GetAudioDeviceSpec(static_cast<int>(deviceId - 1), 0, &spec);
    }
    // SDL converts to what the device takes, so stereo is offered unless it says mono.
    FillCapabilities(caps, name.c_str(), spec.channels == 1 ? 1 : 2, 0);
    return MMSYSERR_NOERROR;
  }

  MMRESULT QueryFormat(std::uint32_t, const PCMWAVEFORMAT&) override {
    return Init() ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;  // SDL converts any 8-bit format
  }

  MMRESULT Open(std::uint32_t deviceId, const PCMWAVEFORMAT& format, msg::HWND window,
                std::unique_ptr<WaveOutDevice>* device) override {
    if (!Init()) return MMSYSERR_NODRIVER;
    std::string name;
    if (deviceId > 0) {
      const char* listedName = SDL_GetAudioDeviceName(static_cast<int>(deviceId - 1), 0);
      if (listedName == nullptr) return MMSYSERR_BADDEVICEID;
      name = listedName;
    }
    auto made = std::make_unique<SdlDevice>(format, window);
    if (!made->stream.Ok()) return MMSYSERR_NOMEM;
    if (!made->Start(deviceId == 0 ? nullptr : name.c_str())) return MMSYSERR_ALLOCATED;
    *device = std::move(made);
    return MMSYSERR_NOERROR;
  }

  std::uint32_t NowMs() override { return SteadyMs(); }

 private:
  bool Init() {
    if (!tried_) {
      tried_ = true;
      initialised_ = StartSdlAudio();
      if (!initialised_) std::fprintf(stderr, "wave output: no SDL audio: %s\n", SDL_GetError());
    }
    return initialised_;
  }

  static bool OnlyDefault(int listed) {
    if (listed != 1) return false;
    const char* name = SDL_GetAudioDeviceName(0, 0);
    return name != nullptr && std::strcmp(name, kOnlyDefaultDeviceName) == 0;
  }

  bool tried_ = false;
  bool initialised_ = false;
};

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace wo
