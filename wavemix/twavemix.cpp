#include "wavemix/twavemix.h"

TWaveMix::TWaveMix() {
  FSession = WaveMixInit();
  if (FSession == nullptr) throw EWaveMixError("Initialization failed (WaveMixInit)");
  FPlayParams.Size = sizeof(MixPlayParams);
  FPlayParams.Session = FSession;
}

TWaveMix::~TWaveMix() {
  // A destructor must not throw; the session is ended whatever the first two steps report.
  try {
    SetChannels(0);
  } catch (const EWaveMixError&) {
  }
  try {
    SetActivated(false);
  } catch (const EWaveMixError&) {
  }
  if (FSession != nullptr) {
    try {
      WaveMixEndSession(FSession);
    } catch (const EWaveMixError&) {
    }
  }
}

void TWaveMix::SetActivated(bool value) {
  if (value == FActivated) return;
  WaveMixActivate(FSession, value);
  FActivated = value;
}

void TWaveMix::SetChannels(std::uint8_t value) {
  if (value == FChannels) return;
  if (value == 255) {
    WaveMixOpenChannels(FSession, 0, MixOpenAll);
  } else if (value == 0) {
    WaveMixCloseChannels(FSession, 0, MixAllChannels);
  } else {
    const std::uint8_t wanted = value;
    const std::uint8_t had = FChannels;
    for (int i = 0; i < MixChannelCount; ++i) {
      const bool want = (wanted >> i) & 1;
      if (want == static_cast<bool>((had >> i) & 1)) continue;
      if (want) {
        WaveMixOpenChannels(FSession, i, MixOpenOne);
      } else {
        WaveMixCloseChannels(FSession, i, 0);
      }
    }
  }
  FChannels = value;
}

MixWave* TWaveMix::OpenWave(const char* fileName) {
  return WaveMixOpenWave(FSession, fileName, nullptr, MixOpenFromFile);
}

void TWaveMix::FreeWave(MixWave* wave) { WaveMixFreeWave(FSession, wave); }

void TWaveMix::Play(std::int32_t channel, MixWave* wave, msg::HWND notifyWindow,
                    std::uint32_t flags, std::uint16_t loops) {
  FPlayParams.Channel = channel;
  FPlayParams.Wave = wave;
  FPlayParams.Flags = flags;
  FPlayParams.Loops = loops;
  FPlayParams.NotifyWindow = notifyWindow;
  WaveMixPlay(&FPlayParams);
}
