// SPDX-License-Identifier: MIT
#include "platform/waveout/backend.h"

#include <chrono>
#include <cstring>

namespace wo {

WaveOutDevice::WaveOutDevice(const PCMWAVEFORMAT& openFormat, msg::HWND window)
    : format(openFormat), callbackWindow(window), stream(this, window, openFormat.nBlockAlign) {}

WaveOutDevice::~WaveOutDevice() = default;

bool IsPlayableFormat(const PCMWAVEFORMAT& f) {
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         f.wBitsPerSample == 8 && f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 192000 &&
         f.nBlockAlign == f.nChannels && f.nAvgBytesPerSec == f.nSamplesPerSec * f.nChannels;
}

void FillCapabilities(WAVEOUTCAPS* caps, const char* productName, std::uint16_t channels,
                      std::uint32_t support) {
  std::memset(caps, 0, sizeof *caps);
  caps->vDriverVersion = 0x0100;
  // Cut to 31 bytes, but never inside a UTF-8 sequence: the name also names a settings
  // section.
  std::size_t length = std::strlen(productName);
  if (length >= sizeof caps->szPname) {
    length = sizeof caps->szPname - 1;
    while (length > 0 && (static_cast<unsigned char>(productName[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(caps->szPname, productName, length);
  // Every 8-bit format at 11025, 22050 and 44100 Hz, mono and stereo.
  caps->dwFormats = 0x0001 | 0x0002 | 0x0010 | 0x0020 | 0x0100 | 0x0200;
  caps->wChannels = channels;
  caps->dwSupport = support;
}

std::uint32_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace wo
