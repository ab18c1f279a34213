// SPDX-License-Identifier: MIT
#include "wav_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

}  // namespace

bool WriteWave(const std::string& path, const PcmFormat& format, const std::vector<float>& frames) {
  const uint32_t bytesPerSample = format.bitsPerSample / 8;
  const uint32_t dataBytes = static_cast<uint32_t>(frames.size()) * bytesPerSample;
  const uint16_t blockAlign = static_cast<uint16_t>(format.channels * bytesPerSample);

  std::vector<uint8_t> file;
  PutTag(file, "RIFF");
  PutLe(file, 4 + 8 + 16 + 8 + dataBytes + (dataBytes & 1), 4);
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  PutLe(file, 16, 4);
  PutLe(file, 1, 2);  // PCM
  PutLe(file, format.channels, 2);
  PutLe(file, format.samplesPerSec, 4);
  PutLe(file, format.samplesPerSec * blockAlign, 4);
  PutLe(file, blockAlign, 2);
  PutLe(file, format.bitsPerSample, 2);
  PutTag(file, "data");
  PutLe(file, dataBytes, 4);
  for (float frame : frames) {
    const float s = std::clamp(frame, -1.0f, 1.0f);
    if (format.bitsPerSample == 8) {
      file.push_back(static_cast<uint8_t>(std::lround(128.0f + s * 127.0f)));
    } else {
      PutLe(file, static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767.0f))), 2);
    }
  }
  if (dataBytes & 1) file.push_back(0);  // RIFF chunks are word aligned

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}
