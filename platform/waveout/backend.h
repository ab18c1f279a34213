// SPDX-License-Identifier: MIT
// What the wave-output front end (wave_out.cpp) asks of a back end. Internal to this layer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/messages/messages.h"
#include "platform/waveout/block_stream.h"
#include "platform/waveout/wave_out.h"

namespace wo {

// One open device. The front end owns it; deleting it closes it. The block handling is the
// same for every back end (BlockStream); a back end adds what moves the bytes.
struct WaveOutDevice {
  WaveOutDevice(const PCMWAVEFORMAT& format, msg::HWND callbackWindow);
  virtual ~WaveOutDevice();
  WaveOutDevice(const WaveOutDevice&) = delete;
  WaveOutDevice& operator=(const WaveOutDevice&) = delete;

  virtual MMRESULT Prepare(WAVEHDR* header) { return stream.Prepare(header); }
  virtual MMRESULT Write(WAVEHDR* header) { return stream.Write(header); }
  virtual void Restart() { stream.Restart(); }
  // Whether the device is open towards the system now (a device may close while it has
  // nothing to play).
  virtual bool Streaming() const { return true; }
  // Both counts since open or the last reset, read at one moment (the front end reports
  // whole frames). A device without a buffer of its own hears what it takes at once.
  struct Positions {
    std::uint64_t consumed;  // taken from the blocks: the device cannot give these back
    std::int64_t audible;    // consumed less what the device's own buffer still holds
  };
  virtual Positions GetPositions() {
    const std::uint64_t played = stream.PlayedBytes();
    return {played, static_cast<std::int64_t>(played)};
  }

  const PCMWAVEFORMAT format;
  const msg::HWND callbackWindow;
  BlockStream stream;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::uint32_t DeviceCount() = 0;
  // deviceId is already mapped (WAVE_MAPPER -> 0) and below DeviceCount().
  virtual MMRESULT Capabilities(std::uint32_t deviceId, WAVEOUTCAPS* caps) = 0;
  virtual MMRESULT QueryFormat(std::uint32_t deviceId, const PCMWAVEFORMAT& format) = 0;
  virtual MMRESULT Open(std::uint32_t deviceId, const PCMWAVEFORMAT& format,
                        msg::HWND callbackWindow, std::unique_ptr<WaveOutDevice>* device) = 0;
  virtual std::uint32_t NowMs() = 0;
};

// The formats every back end plays: 8-bit unsigned PCM, mono or stereo, any rate, with
// consistent block align and byte rate.
bool IsPlayableFormat(const PCMWAVEFORMAT& format);

// Fills caps the way every back end reports itself; the name is cut to 31 bytes, at a
// character boundary.
void FillCapabilities(WAVEOUTCAPS* caps, const char* productName, std::uint16_t channels,
                      std::uint32_t support);

// Milliseconds of the process's steady clock, for the real-time back ends.
std::uint32_t SteadyMs();

// Makes `backend` the one every call goes to (nullptr: back to WAVEMIX_OUTPUT's choice).
// Devices still open on the previous back end are closed and their handles become invalid.
void InstallBackend(Backend* backend);

// The back ends WAVEMIX_OUTPUT can choose.
std::unique_ptr<Backend> MakeSdlBackend();
std::unique_ptr<Backend> MakeNullBackend(const char* wavPath);  // nullptr or "" = no recording

}  // namespace wo
