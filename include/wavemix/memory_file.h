// SPDX-License-Identifier: MIT
// The record that describes a wave held in memory: the source of WaveMixOpenWave's
// MixOpenFromMemory mode. Fill fccIOProc = FOURCC_MEM, pchBuffer = the RIFF image,
// cchBuffer = its size in bytes; leave the rest 0. The mixer reads it and never changes it.
#pragma once

#include <cstdint>

namespace mmio {

using FOURCC = std::uint32_t;
using MMRESULT = std::uint32_t;

// First character in the lowest byte.
constexpr FOURCC MakeFourCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<unsigned char>(a)) |
         (static_cast<FOURCC>(static_cast<unsigned char>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<unsigned char>(c)) << 16) |
         (static_cast<FOURCC>(static_cast<unsigned char>(d)) << 24);
}
constexpr FOURCC FOURCC_MEM = MakeFourCC('M', 'E', 'M', ' ');

// Describes a memory file (fccIOProc = FOURCC_MEM, pchBuffer, cchBuffer, adwInfo[0] = growth
// increment, 0 = cannot grow) and receives the error code of a failed open.
struct MMIOINFO {
  std::uint32_t dwFlags;
  FOURCC fccIOProc;
  MMRESULT wErrorRet;
  std::int32_t cchBuffer;
  char* pchBuffer;
  std::uint32_t adwInfo[3];
};

}  // namespace mmio
