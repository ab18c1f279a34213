// SPDX-License-Identifier: MIT
// The wave-output records the mixer's records are made of, and the message that tells a
// notify window that a play request has finished.
#pragma once

#include <wavemix/messages.h>

#include <cstdint>

namespace wo {

// To a play request's notify window when the request has finished: wParam = channel,
// lParam = the MixWave*.
constexpr msg::UINT MM_WOM_DONE = 0x3BD;

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// 16 bytes, the layout of the "fmt " chunk's first 16 bytes.
struct PCMWAVEFORMAT {
  std::uint16_t wFormatTag;
  std::uint16_t nChannels;
  std::uint32_t nSamplesPerSec;
  std::uint32_t nAvgBytesPerSec;
  std::uint16_t nBlockAlign;
  std::uint16_t wBitsPerSample;
};
static_assert(sizeof(PCMWAVEFORMAT) == 16);

// A block of samples: lpData and dwBufferLength describe them.
struct WAVEHDR {
  char* lpData;
  std::uint32_t dwBufferLength;
  std::uint32_t dwBytesRecorded;
  std::uintptr_t dwUser;
  std::uint32_t dwFlags;
  std::uint32_t dwLoops;
  WAVEHDR* lpNext;
  std::uintptr_t reserved;
};

}  // namespace wo
