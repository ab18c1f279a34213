#include "wav_file.h"

#include <fstream>

#include "platform/waveout/wav_file_writer.h"

namespace render {

bool WriteWaveFile(const std::string& path, const wo::PCMWAVEFORMAT& format,
                   const std::vector<std::uint8_t>& samples) {
  wo::PCMWAVEFORMAT pcm8 = format;  // the mixer's output is always 8-bit PCM
  pcm8.wFormatTag = wo::WAVE_FORMAT_PCM;
  pcm8.wBitsPerSample = 8;
  const auto dataSize = static_cast<std::uint32_t>(samples.size());
  const auto header = wo::WaveFileHeader(pcm8, dataSize);

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(header.data()),
             static_cast<std::streamsize>(header.size()));
  file.write(reinterpret_cast<const char*>(samples.data()),
             static_cast<std::streamsize>(samples.size()));
  if (dataSize & 1) file.put('\0');  // chunks are padded to an even size
  file.close();
  return static_cast<bool>(file);
}

}  // namespace render
