#include "wav_file.h"

#include <fstream>

namespace render {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

bool WriteWaveFile(const std::string& path, const wo::PCMWAVEFORMAT& format,
                   const std::vector<std::uint8_t>& samples) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size());
  std::vector<std::uint8_t> header;
  PutTag(header, "RIFF");
  Put32(header, 4 + 8 + 16 + 8 + dataSize + (dataSize & 1));
  PutTag(header, "WAVE");
  PutTag(header, "fmt ");
  Put32(header, 16);
  Put16(header, wo::WAVE_FORMAT_PCM);
  Put16(header, format.nChannels);
  Put32(header, format.nSamplesPerSec);
  Put32(header, format.nAvgBytesPerSec);
  Put16(header, format.nBlockAlign);
  Put16(header, 8);
  PutTag(header, "data");
  Put32(header, dataSize);

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  file.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size()));
  if (dataSize & 1) file.put('\0');  // chunks are padded to an even size
  file.close();
  return static_cast<bool>(file);
}

}  // namespace render
