// SPDX-License-Identifier: MIT
// WaveMixOpenWave on an arbitrary memory image, in a session on the virtual device. The
// first input byte picks the session's output (mono or stereo, 11, 22 or 44 kHz, rates
// converted by whole-number ratios or exactly), so every conversion path is reached; the rest
// is the image. A wave that loads is freed at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <unistd.h>

#include "platform/riff/riff_reader.h"
#include "platform/waveout/virtual_device.h"
#include "wavemix/wavemix.h"

namespace {

HMIXSESSION session = nullptr;
int sessionShape = -1;

HMIXSESSION SessionOfShape(int shape) {
  if (shape != sessionShape) {
    if (session != nullptr) WaveMixEndSession(session);
    static constexpr std::uint16_t kRates[] = {11, 22, 44};
    MixConfig config{};
    config.size = sizeof config;
    config.flags = MixConfigChannels | MixConfigRate | (shape >= 6 ? MixConfigExactRate : 0u);
    config.channels = static_cast<std::uint16_t>(shape & 1 ? 2 : 1);
    config.rateCode = kRates[(shape >> 1) % 3];
    session = WaveMixInitEx(&config);
    sessionShape = shape;
  }
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // An empty settings folder, so the session is the same on every machine.
  static char folder[] = "/tmp/fuzz-wave-XXXXXX";
  if (mkdtemp(folder) != nullptr) {
    setenv("XDG_CONFIG_HOME", folder, 1);
    std::atexit([] { rmdir(folder); });
  }
  wo::VirtualDevice::Install(11025);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  HMIXSESSION mixer = SessionOfShape(data[0] % 12);
  // An exact-size heap copy, so a read past the image's end is caught.
  const std::size_t imageSize = size - 1;
  std::unique_ptr<char[]> image(new char[imageSize == 0 ? 1 : imageSize]);
  std::memcpy(image.get(), data + 1, imageSize);

  mmio::MMIOINFO info{};
  info.fccIOProc = mmio::FOURCC_MEM;
  info.pchBuffer = imageSize == 0 ? nullptr : image.get();
  info.cchBuffer = static_cast<std::int32_t>(imageSize);
  try {
    MixWave* wave = WaveMixOpenWave(mixer, reinterpret_cast<const char*>(&info), nullptr,
                                    MixOpenFromMemory);
    WaveMixFreeWave(mixer, wave);
  } catch (const EWaveMixError&) {
    // Refusing a broken image is the expected outcome.
  }
  return 0;
}
