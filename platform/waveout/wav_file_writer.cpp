// SPDX-License-Identifier: MIT
#include "platform/waveout/wav_file_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace wo {
namespace {

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

std::array<std::uint8_t, 44> WaveFileHeader(const PCMWAVEFORMAT& format, std::uint32_t dataBytes) {
  std::array<std::uint8_t, 44> h{};
  std::memcpy(h.data(), "RIFF", 4);
  Put32(h.data() + 4, 36 + dataBytes + (dataBytes & 1));
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  Put32(h.data() + 16, 16);
  Put16(h.data() + 20, format.wFormatTag);
  Put16(h.data() + 22, format.nChannels);
  Put32(h.data() + 24, format.nSamplesPerSec);
  Put32(h.data() + 28, format.nAvgBytesPerSec);
  Put16(h.data() + 32, format.nBlockAlign);
  Put16(h.data() + 34, format.wBitsPerSample);
  std::memcpy(h.data() + 36, "data", 4);
  Put32(h.data() + 40, dataBytes);
  return h;
}

WavFileWriter::WavFileWriter(std::string path, std::uint64_t maxDataBytes)
    : path_(std::move(path)), maxDataBytes_(std::min(maxDataBytes, kMaxDataBytes)) {}

WavFileWriter::~WavFileWriter() {
  Finish();
  if (file_ != nullptr) std::fclose(file_);
}

void WavFileWriter::Fail(const char* what) {
  if (!failed_) {
    std::fprintf(stderr, "wave output: cannot %s %s: %s; going on without recording\n", what,
                 path_.c_str(), std::strerror(errno));
  }
  failed_ = true;
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool WavFileWriter::Begin(const PCMWAVEFORMAT& format) {
  if (failed_) return false;
  if (file_ != nullptr && std::memcmp(&format, &format_, sizeof format) == 0) {
    // Continue after the data written so far (over the pad byte of the last Finish).
    if (std::fseek(file_, static_cast<long>(kHeaderSize + dataBytes_), SEEK_SET) != 0) {
      Fail("write");
    }
    return file_ != nullptr;
  }
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path_.c_str(), "wb+");
  if (file_ == nullptr) {
    Fail("create");
    return false;
  }
  format_ = format;
  dataBytes_ = 0;
  limitReached_ = false;
  Finish();  // a valid, empty file from the start
  return file_ != nullptr;
}

void WavFileWriter::Append(const std::uint8_t* data, std::size_t n) {
  if (file_ == nullptr) return;
  const std::uint64_t frame = format_.nBlockAlign == 0 ? 1 : format_.nBlockAlign;
  const std::uint64_t room = maxDataBytes_ / frame * frame - dataBytes_;
  if (n > room) {
    limitReached_ = true;
    n = static_cast<std::size_t>(room);
  }
  if (std::fwrite(data, 1, n, file_) != n) {
    Fail("write");
    return;
  }
  dataBytes_ += n;
}

void WavFileWriter::AppendSilence(std::uint64_t n) {
  std::array<std::uint8_t, 4096> silence;
  silence.fill(128);
  while (n > 0 && file_ != nullptr) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(n, silence.size()));
    Append(silence.data(), chunk);
    n -= chunk;
  }
}

void WavFileWriter::Finish() {
  if (file_ == nullptr) return;
  const auto data = static_cast<std::uint32_t>(dataBytes_);
  const std::uint32_t pad = data & 1;
  const std::array<std::uint8_t, kHeaderSize> h = WaveFileHeader(format_, data);
  const std::uint8_t padByte = 0;
  const bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
                  std::fwrite(h.data(), 1, h.size(), file_) == h.size() &&
                  std::fseek(file_, static_cast<long>(kHeaderSize + dataBytes_), SEEK_SET) == 0 &&
                  (pad == 0 || std::fwrite(&padByte, 1, 1, file_) == 1) && std::fflush(file_) == 0;
  if (!ok) Fail("write");
}

}  // namespace wo
