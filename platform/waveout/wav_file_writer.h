// SPDX-License-Identifier: MIT
// Appends 8-bit PCM to a RIFF WAVE file and keeps its header right.
//
// The file stays open across device openings of the same format, so one file can cover a
// whole run; Finish() writes the sizes (and the pad byte of an odd data chunk) and flushes,
// so the file is valid after every close, and more data may follow. A file that cannot be
// written is reported once on stderr and recording stops; playing goes on. The sizes in the
// header are 32-bit: the data stops at the last whole frame below 4 GiB (LimitReached()), so
// the header never wraps.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/waveout/wave_out.h"

namespace wo {

// The 44-byte header of a PCM RIFF WAVE file holding dataBytes of samples (the RIFF size
// counts the pad byte of an odd data chunk).
std::array<std::uint8_t, 44> WaveFileHeader(const PCMWAVEFORMAT& format, std::uint32_t dataBytes);

class WavFileWriter {
 public:
  static constexpr std::uint32_t kHeaderSize = 44;
  // The most data bytes a RIFF header can count (the pad byte included).
  static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderSize;

  // maxDataBytes lowers the limit (tests); it is cut to whole frames of the format.
  explicit WavFileWriter(std::string path, std::uint64_t maxDataBytes = kMaxDataBytes);
  ~WavFileWriter();
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;

  // Starts the file afresh unless it is already open with this format.
  // True when data can be appended in that format.
  bool Begin(const PCMWAVEFORMAT& format);
  bool Recording() const { return file_ != nullptr; }
  void Append(const std::uint8_t* data, std::size_t n);
  void AppendSilence(std::uint64_t n);
  void Finish();
  // True once data had to be dropped at the size limit; the caller reports it.
  bool LimitReached() const { return limitReached_; }
  std::uint64_t DataBytes() const { return dataBytes_; }

 private:
  void Fail(const char* what);

  std::string path_;
  std::FILE* file_ = nullptr;
  PCMWAVEFORMAT format_{};
  std::uint64_t maxDataBytes_;
  std::uint64_t dataBytes_ = 0;
  bool failed_ = false;
  bool limitReached_ = false;
};

}  // namespace wo
