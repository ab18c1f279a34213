// SPDX-License-Identifier: MIT
// play-wave: plays one wave file through the mixer and waits for its end.
//
//   play-wave [--volume 0..100] [--pan -100..100] FILE.wav
//
// The output follows WAVEMIX_OUTPUT (sdl, null, null:PATH.wav) and the settings file
// WAVEMIX.INI, as in every program that uses the mixer; a pan asks for a stereo session.
// Exit status 0 when the wave was played to its end, 1 on a mixer error (its message on
// stderr), 2 for a wrong command line.
#include <poll.h>
#include <wavemix/wavemix.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* NotifyClass = "PlayWaveNotify";
bool finished = false;

// The notify window: the mixer posts MM_WOM_DONE here when the request has been heard to its
// end (wParam = channel, lParam = the wave).
msg::LRESULT NotifyProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                        msg::LPARAM lParam) {
  if (message != wo::MM_WOM_DONE) return msg::DefWindowProc(window, message, wParam, lParam);
  const auto* wave = reinterpret_cast<const MixWave*>(lParam);
  std::printf("done: %s on channel %u\n", wave->name, static_cast<unsigned>(wParam));
  finished = true;
  return 0;
}

// The program's event loop: sleep until something is posted, then deliver it. The mixer
// refills its output blocks from the same messages, so this loop keeps the sound going.
void RunUntilFinished(msg::WakeFd& wake) {
  while (!finished) {
    pollfd wakeUp{wake.Fd(), POLLIN, 0};
    if (poll(&wakeUp, 1, -1) < 0 && errno != EINTR) return;
    wake.Acknowledge();
    msg::DispatchPostedMessages();
  }
}

struct Options {
  const char* file = nullptr;
  long volume = 100;  // per cent
  long pan = 0;       // -100 left .. +100 right
};

bool ReadNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high;
}

bool ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--volume") == 0 && i + 1 < argc) {
      if (!ReadNumber(argv[++i], 0, 100, options.volume)) return false;
    } else if (std::strcmp(argv[i], "--pan") == 0 && i + 1 < argc) {
      if (!ReadNumber(argv[++i], -100, 100, options.pan)) return false;
    } else if (options.file == nullptr && argv[i][0] != '-') {
      options.file = argv[i];
    } else {
      return false;
    }
  }
  return options.file != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ReadOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: play-wave [--volume 0..100] [--pan -100..100] FILE.wav\n");
    return 2;
  }
  // Installed before the session exists, so no block message can be missed.
  msg::WakeFd wake;
  if (!msg::RegisterClass(NotifyClass, NotifyProc) &&
      msg::GetLastError() != msg::ERROR_CLASS_ALREADY_EXISTS) {
    std::fprintf(stderr, "play-wave: cannot register the notify window's class\n");
    return 1;
  }
  const msg::HWND notify = msg::CreateWindow(NotifyClass, 0);

  HMIXSESSION session = nullptr;
  MixWave* wave = nullptr;
  int status = 0;
  try {
    // Panning needs two output channels; otherwise the settings file decides.
    MixConfig config{};
    config.size = sizeof config;
    if (options.pan != 0) {
      config.flags = MixConfigChannels;
      config.channels = 2;
    }
    session = WaveMixInitEx(&config);
    WaveMixOpenChannels(session, 0, MixOpenOne);
    WaveMixSetChannelVolume(session, 0, static_cast<std::int32_t>(options.volume),
                            static_cast<std::int32_t>(options.pan));
    wave = WaveMixOpenWave(session, options.file, nullptr, MixOpenFromFile);
    WaveMixActivate(session, true);

    MixPlayParams params{};
    params.Size = sizeof params;
    params.Session = session;
    params.Channel = 0;
    params.Wave = wave;
    params.NotifyWindow = notify;
    params.Flags = MixPlayQueue;
    params.Loops = 0;
    WaveMixPlay(&params);
    RunUntilFinished(wake);
  } catch (const EWaveMixError& error) {
    std::fprintf(stderr, "play-wave: %s\n", error.what());
    status = 1;
  }
  // The wave belongs to the program, which frees it before the session ends.
  try {
    if (wave != nullptr) WaveMixFreeWave(session, wave);
    if (session != nullptr) WaveMixEndSession(session);
  } catch (const EWaveMixError& error) {
    std::fprintf(stderr, "play-wave: %s\n", error.what());
    status = 1;
  }
  msg::DestroyWindow(notify);
  return status;
}
