// SPDX-License-Identifier: MIT
#include "wavemix/twavemix.h"

TWaveMix::TWaveMix() : TWaveMix(nullptr) {}

TWaveMix::TWaveMix(const MixConfig* config) {
  FSession = config != nullptr ? WaveMixInitEx(config) : WaveMixInit();
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
    // Written as a test of the changed bits: g++ 12.2 at -O2 turns the plain comparison
    // (bit of wanted == bit of had) into "skip unless the bit was set before", which opened
    // nothing when going from 0 to 15.
    const unsigned changed = static_cast<unsigned>(wanted ^ FChannels);
    for (int i = 0; i < MixChannelCount; ++i) {
      if (((changed >> i) & 1u) == 0) continue;
      if ((wanted >> i) & 1u) {
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

std::int32_t TWaveMix::MasterVolume() const {
  return WaveMixGetMasterVolume(FSession);
}

void TWaveMix::SetMasterVolume(std::int32_t volume) {
  WaveMixSetMasterVolume(FSession, volume);
}

std::int32_t TWaveMix::ChannelVolume(std::int32_t channel) const {
  std::int32_t volume = 0;
  WaveMixGetChannelVolume(FSession, channel, &volume, nullptr);
  return volume;
}

std::int32_t TWaveMix::ChannelPan(std::int32_t channel) const {
  std::int32_t pan = 0;
  WaveMixGetChannelVolume(FSession, channel, nullptr, &pan);
  return pan;
}

void TWaveMix::SetChannelVolume(std::int32_t channel, std::int32_t volume, std::int32_t pan) {
  WaveMixSetChannelVolume(FSession, channel, volume, pan);
}
