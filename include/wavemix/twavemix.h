// SPDX-License-Identifier: MIT
// TWaveMix: the component through which a program uses the mixer. It owns one session for
// its whole life; Activated takes or gives up the wave-output device and Channels is the
// bit mask of open channels (bit i = channel i). Failures reach the caller as EWaveMixError.
#pragma once

#include <wavemix/wavemix.h>

#include <cstdint>

class WAVEMIX_API TWaveMix {
 public:
  // Creates the session with the settings of WAVEMIX.INI; inactive, no channel open.
  TWaveMix();
  // The same through WaveMixInitEx: config (or null) may ask for stereo, a rate, blocks.
  explicit TWaveMix(const MixConfig* config);
  // Closes the channels, gives up the device and ends the session.
  ~TWaveMix();
  TWaveMix(const TWaveMix&) = delete;
  TWaveMix& operator=(const TWaveMix&) = delete;

  bool Activated() const { return FActivated; }
  void SetActivated(bool value);
  std::uint8_t Channels() const { return FChannels; }
  void SetChannels(std::uint8_t value);
  // Levels of the session (WaveMixSetMasterVolume, WaveMixSetChannelVolume).
  std::int32_t MasterVolume() const;
  void SetMasterVolume(std::int32_t volume);
  std::int32_t ChannelVolume(std::int32_t channel) const;
  std::int32_t ChannelPan(std::int32_t channel) const;
  void SetChannelVolume(std::int32_t channel, std::int32_t volume, std::int32_t pan = 0);

  // The path is used exactly as given.
  MixWave* OpenWave(const char* fileName);
  void FreeWave(MixWave* wave);
  // notifyWindow: 0 for none. With MixPlayLeastRecent the chosen channel is not reported.
  void Play(std::int32_t channel, MixWave* wave, msg::HWND notifyWindow, std::uint32_t flags,
            std::uint16_t loops);

  HMIXSESSION Session() const { return FSession; }

 private:
  MixPlayParams FPlayParams{};
  HMIXSESSION FSession = nullptr;
  bool FActivated = false;
  std::uint8_t FChannels = 0;
};
