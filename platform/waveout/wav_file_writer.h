// Appends 8-bit PCM to a RIFF WAVE file and keeps its header right.
//
// The file stays open across device openings of the same format, so one file can cover a
// whole run; Finish() writes the sizes (and the pad byte of an odd data chunk) and flushes,
// so the file is valid after every close, and more data may follow. A file that cannot be
// written is reported once on stderr and recording stops; playing goes on.
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
  explicit WavFileWriter(std::string path);
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

  static constexpr std::uint32_t kHeaderSize = 44;

 private:
  void Fail(const char* what);

  std::string path_;
  std::FILE* file_ = nullptr;
  PCMWAVEFORMAT format_{};
  std::uint64_t dataBytes_ = 0;
  bool failed_ = false;
};

}  // namespace wo
