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
// while SDL is called. SDL gets signed 16-bit samples; positions stay in the caller's bytes.
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

// The device buffer: the longest power of two within 24 ms (256 frames at 11025 Hz). SDL opens a
// device paused, and on its PulseAudio driver its thread may hand the server one whole buffer
// of silence before the first block is let through; a short buffer keeps that within a press's
// latency. The stream is open only while something sounds, so its period costs nothing idle.
std::uint16_t DeviceBufferFrames(std::uint32_t rate) {
  const std::uint32_t wanted = rate * 24 / 1000;
  std::uint32_t frames = 64;
  while (frames * 2 <= wanted && frames < 16384) frames *= 2;
  return static_cast<std::uint16_t>(frames);
}

// How long the stream stays open towards the server once the queue has run dry: long
// enough for what SDL and the server still hold to be heard.
constexpr std::uint32_t kIdleMs = 300;
// Silence ahead of the first block of a newly opened stream: a server may cut the first
// milliseconds of a new stream (PulseAudio up to 5.8 ms, PipeWire's own protocol up to 5.2),
// and these should be silence.
constexpr std::uint32_t kLeadInMs = 8;

// Towards the server the stream is open only while there is something to play: it opens
// once blocks are queued and not paused after a quiet spell, so that its first buffer already
// holds them, and closes once the queue has run dry for kIdleMs: an idle program costs the
// server nothing. Positions, blocks and messages live in the block stream and are untouched
// by either.
class SdlDevice final : public WaveOutDevice {
 public:
  SdlDevice(const PCMWAVEFORMAT& openFormat, msg::HWND window, std::string name)
      : WaveOutDevice(openFormat, window), name_(std::move(name)) {
    // SDL's disk driver starts its file afresh at every opening: closing it on a quiet spell
    // would throw away what was written, and there is no server to spare.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::strcmp(driver, "disk") != 0) {
      stream.NotifyWhenIdle(openFormat.nAvgBytesPerSec * kIdleMs / 1000, [this] { Close(); });
    }
  }

  ~SdlDevice() override { Close(); }

  // Opens once to find out that the device plays, then leaves it closed until a block comes.
  bool Start() {
    if (!OpenPaused()) return false;
    Close();
    return true;
  }

  // A device that cannot be opened again refuses the block.
  MMRESULT Write(WAVEHDR* header) override {
    const bool open = id_ == 0 && !stream.IsPaused();
    if (open && !OpenPaused()) return MMSYSERR_ERROR;
    const MMRESULT result = stream.Write(header);
    if (open) SDL_PauseAudioDevice(id_, 0);
    return result;
  }

  // Blocks written while paused open the stream here; if it cannot be opened they wait for
  // the next write, as they would for a server that went away.
  void Restart() override {
    stream.Restart();
    if (id_ == 0 && stream.QueuedBlocks() > 0 && OpenPaused()) SDL_PauseAudioDevice(id_, 0);
  }

  bool Streaming() const override { return id_ != 0; }

  // SDL asks for the next buffer once the driver has taken the previous one, so what the
  // latest callback took from blocks counts as heard when the next callback comes (at once
  // when that one finds nothing to take). Never early, and the step falls on a callback,
  // where "block finished" messages are posted, so a pump sees it as soon as it can.
  Positions GetPositions() override {
    const BlockStream::PlayedSnapshot s = stream.Snapshot();
    return {s.played, static_cast<std::int64_t>(s.played) - s.lastConsumedBlockBytes};
  }

 private:
  // Signed 16-bit towards SDL: a sound server pads an 8-bit stream that runs short with 0,
  // full scale below silence. The stream's bytes land in the buffer's upper half and are
  // widened from the front, each read before its place is written.
  static void SDLCALL Callback(void* self, Uint8* out, int length) {
    auto* device = static_cast<SdlDevice*>(self);
    auto* wide = reinterpret_cast<std::int16_t*>(out);
    std::uint32_t samples = static_cast<std::uint32_t>(length) / 2;
    const std::uint32_t lead = std::min(samples, device->leadIn_);
    std::fill_n(wide, lead, std::int16_t{0});
    device->leadIn_ -= lead;
    wide += lead;
    samples -= lead;
    std::uint8_t* bytes = reinterpret_cast<std::uint8_t*>(wide) + samples;
    device->stream.Consume(bytes, samples);
    for (std::uint32_t i = 0; i < samples; ++i) {
      const int byte = bytes[i];
      wide[i] = static_cast<std::int16_t>((byte - 128) * 256);
    }
  }

  // SDL starts a device paused, playing silence: the caller unpauses it once the first block
  // is queued, so the first buffer holds it unless SDL's thread was quicker.
  bool OpenPaused() {
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.nSamplesPerSec);
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(format.nChannels);
    want.samples = DeviceBufferFrames(format.nSamplesPerSec);
    want.callback = &SdlDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec got{};
    const char* name = name_.empty() ? nullptr : name_.c_str();
    leadIn_ = format.nSamplesPerSec * kLeadInMs / 1000 * format.nChannels;  // before SDL's thread
    id_ = SDL_OpenAudioDevice(name, 0, &want, &got, 0);
    if (id_ == 0) {
      std::fprintf(stderr, "wave output: SDL cannot open %s: %s\n",
                   name ? name : "the default output", SDL_GetError());
      return false;
    }
    return true;
  }

  void Close() {
    if (id_ != 0) SDL_CloseAudioDevice(id_);  // waits for a callback still running
    id_ = 0;
  }

  const std::string name_;  // empty: the default device
  SDL_AudioDeviceID id_ = 0;
  std::uint32_t leadIn_ = 0;  // samples of silence still to come; SDL's thread while open
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
    auto made = std::make_unique<SdlDevice>(format, window, name);
    if (!made->stream.Ok()) return MMSYSERR_NOMEM;
    if (!made->Start()) return MMSYSERR_ALLOCATED;
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

std::unique_ptr<Backend> MakeSdlBackend() {
  return std::make_unique<SdlBackend>();
}

}  // namespace wo
