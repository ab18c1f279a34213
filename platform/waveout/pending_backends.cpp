// Temporary: the real-time back ends are being written; until then they offer no device.
#include <cstdio>

#include "platform/waveout/backend.h"

namespace wo {
namespace {
class Unavailable final : public Backend {
 public:
  explicit Unavailable(const char* what) { std::fprintf(stderr, "wave output: the %s back end is not built yet\n", what); }
  std::uint32_t DeviceCount() override { return 0; }
  MMRESULT Capabilities(std::uint32_t, WAVEOUTCAPS*) override { return MMSYSERR_NODRIVER; }
  MMRESULT QueryFormat(std::uint32_t, const PCMWAVEFORMAT&) override { return MMSYSERR_NODRIVER; }
  MMRESULT Open(std::uint32_t, const PCMWAVEFORMAT&, msg::HWND, std::unique_ptr<WaveOutDevice>*) override {
    return MMSYSERR_NODRIVER;
  }
  std::uint32_t NowMs() override { return SteadyMs(); }
};
}  // namespace
std::unique_ptr<Backend> MakeSdlBackend() { return std::make_unique<Unavailable>("sdl"); }
std::unique_ptr<Backend> MakeNullBackend(const char*) { return std::make_unique<Unavailable>("null"); }
}  // namespace wo
