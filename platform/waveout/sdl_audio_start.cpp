// SPDX-License-Identifier: MIT
#include "platform/waveout/sdl_audio_start.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace wo {
namespace {

// ALSA's handler type is variadic; this one prints nothing.
void DiscardAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Through the loader, so that a system without ALSA needs nothing: SDL links the library, and
// the handler set here is the one its ALSA driver uses.
void SilenceAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_NOW);
  if (alsa == nullptr) return;  // kept open for the process: the handler lives in it
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
    set(&DiscardAlsaError);
  }
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool IsSocket(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

bool SoundServerMayListen() {
  if (Set("PULSE_SERVER")) return true;
  if (Set("XDG_RUNTIME_DIR") &&
      IsSocket(std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pulse/native")) {
    return true;
  }
  return IsSocket("/var/run/pulse/native");  // a system-wide server
}

// SDL's own order without the sound server. The drivers SDL tries only on request (its
// "dummy" and "disk") stay out: named in the list, they would be tried too.
std::string DriversWithoutSoundServer() {
  std::string list;
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
    const char* name = SDL_GetAudioDriver(i);
    if (std::strcmp(name, "pulseaudio") == 0 || std::strcmp(name, "dummy") == 0 ||
        std::strcmp(name, "disk") == 0) {
      continue;
    }
    if (!list.empty()) list += ',';
    list += name;
  }
  return list;
}

// Where PipeWire plays the desktop's sound, SDL's own PipeWire driver rather than the
// PulseAudio one SDL 2.26 tries first. Through pipewire-pulse a stream opens in 12 to 32 ms,
// and SDL's thread, started paused, often sends a whole buffer of silence before the first
// sound is let through (23 ms more); natively a stream opens in 8 to 15 ms and the server's
// cycle asks for the first buffer only once the stream plays. PipeWire counts as playing the
// sound when its socket is there and SDL finds an output on it: a PipeWire that only carries
// video (beside PulseAudio) lists none, and SDL's usual order is kept.
bool PipeWireListens() {
  if (Set("PIPEWIRE_REMOTE")) return true;
  return Set("XDG_RUNTIME_DIR") &&
         IsSocket(std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pipewire-0");
}

bool StartOnPipeWire() {
  SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    if (SDL_GetNumAudioDevices(0) > 0) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  return false;
}

}  // namespace

bool StartSdlAudio() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Left to SDL, SIGINT and SIGTERM would only queue a quit event nobody reads here: the
    // program would no longer end on Ctrl+C or at logout. Overriding: not even the environment
    // hands them to SDL.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    SilenceAlsa();
    if (Set("SDL_AUDIODRIVER")) return;
    if (PipeWireListens() && StartOnPipeWire()) {
      // The hint stays: every later start (the music's, a reopened mixer's) takes the same.
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    } else if (!SoundServerMayListen()) {
      SDL_SetHint(SDL_HINT_AUDIODRIVER, DriversWithoutSoundServer().c_str());
    }
  });
  return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

}  // namespace wo
