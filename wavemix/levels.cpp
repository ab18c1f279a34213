// SPDX-License-Identifier: MIT
// Volume and pan. Only the settings change here; the mixer reads the gains when it mixes
// the next block (or a remix mixes the queued ones again).
#include "wavemix/internal.h"

namespace wavemix {

namespace {

constexpr std::int32_t FullVolume = 100;
constexpr std::int32_t FullPan = 100;

bool IsValidChannel(std::int32_t channel) {
  return channel >= 0 && channel < MixChannelCount;
}

// volume x master x side, each in per cent, as a gain in 1/FullGain, rounded.
std::int16_t Gain(std::int32_t volume, std::int32_t master, std::int32_t side) {
  const std::int64_t product = std::int64_t{volume} * master * side;
  constexpr std::int64_t full = std::int64_t{FullVolume} * FullVolume * FullPan;
  return static_cast<std::int16_t>((product * FullGain + full / 2) / full);
}

// Pan turns the far side down and leaves the near side at full level, so centre is the
// plain sum in both channels.
void UpdateGains(MixSession& session) {
  MixLevels& levels = session.levels;
  const bool stereo = session.outputFormat.nChannels == 2;
  levels.unity = true;
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    const std::int32_t pan = stereo ? levels.pan[channel] : 0;
    const std::int32_t left = pan > 0 ? FullPan - pan : FullPan;
    const std::int32_t right = pan < 0 ? FullPan + pan : FullPan;
    levels.gain[channel][0] = Gain(levels.volume[channel], levels.master, left);
    levels.gain[channel][1] = Gain(levels.volume[channel], levels.master, right);
    if (levels.gain[channel][0] != FullGain || levels.gain[channel][1] != FullGain) {
      levels.unity = false;
    }
  }
}

void CheckVolume(std::int32_t volume) {
  if (volume < 0 || volume > FullVolume) Fail("Invalid volume");
}

}  // namespace

void ResetLevels(MixSession& session) {
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    session.levels.volume[channel] = FullVolume;
    session.levels.pan[channel] = 0;
  }
  session.levels.master = FullVolume;
  UpdateGains(session);
}

}  // namespace wavemix

using namespace wavemix;

void WaveMixSetChannelVolume(HMIXSESSION handle, std::int32_t channel, std::int32_t volume,
                             std::int32_t pan) {
  MixSession& session = *ValidateSession(handle);
  if (!IsValidChannel(channel)) Fail("Invalid channel number");
  CheckVolume(volume);
  if (pan < -FullPan || pan > FullPan) Fail("Invalid pan");
  session.levels.volume[channel] = static_cast<std::uint8_t>(volume);
  session.levels.pan[channel] = static_cast<std::int8_t>(pan);
  UpdateGains(session);
}

void WaveMixGetChannelVolume(HMIXSESSION handle, std::int32_t channel, std::int32_t* volume,
                             std::int32_t* pan) {
  const MixSession& session = *ValidateSession(handle);
  if (!IsValidChannel(channel)) Fail("Invalid channel number");
  if (volume != nullptr) *volume = session.levels.volume[channel];
  if (pan != nullptr) *pan = session.levels.pan[channel];
}

void WaveMixSetMasterVolume(HMIXSESSION handle, std::int32_t volume) {
  MixSession& session = *ValidateSession(handle);
  CheckVolume(volume);
  session.levels.master = static_cast<std::uint8_t>(volume);
  UpdateGains(session);
}

std::int32_t WaveMixGetMasterVolume(HMIXSESSION handle) {
  return ValidateSession(handle)->levels.master;
}
