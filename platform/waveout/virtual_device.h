// The virtual wave-output device: exact, deterministic and faster than real time, for tests
// and offline rendering.
//
// One device, product name "Virtual wave output", 2 channels in its capabilities. Its clock
// moves only when the caller advances it, and it drives timeGetTime() too, so the device
// clock and the timer clock agree. By virtual time t ms, floor(t * bytesPerSecond / 1000)
// bytes of time have passed. The recording holds one byte per byte of time: what the device
// played, or 128 while it ran dry, was paused or closed. bytesPerSecond is that of the
// latest open (or the one given to Install before any open); a change of rate takes effect
// from that moment. Opening a second time while open fails with MMSYSERR_ALLOCATED.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace wo {

class VirtualDevice {
 public:
  // Makes the virtual device the wave-output back end, with a fresh clock at 0 ms and an
  // empty recording, and returns it. Replaces any back end chosen before.
  static VirtualDevice& Install(std::uint32_t bytesPerSecond = 11025);
  // Goes back to the back end chosen by WAVEMIX_OUTPUT.
  static void Uninstall();

  // Moves virtual time on by ms. Whenever a block's last byte is played, the device posts
  // its MM_WOM_DONE and calls pump() before time moves any further.
  void Advance(std::uint32_t ms, const std::function<void()>& pump);
  std::uint32_t NowMs() const;

  void SetBytesPerSecond(std::uint32_t bytesPerSecond);
  const std::vector<std::uint8_t>& Recording() const;

  // Failure injection. Refused opens give MMSYSERR_ALLOCATED, prepares MMSYSERR_NOMEM,
  // writes MMSYSERR_ERROR, format queries WAVERR_BADFORMAT.
  void RefuseOpen(bool refuse);                  // waveOutOpen (not the query) fails
  void RefusePrepareNumber(int n);               // the nth prepare from now fails (1 = next); 0 = none
  void RefuseWrites(bool refuse);                // waveOutWrite fails
  void RefuseFormatQuery(bool refuse);           // WAVE_FORMAT_QUERY fails
  void SetSynchronous(bool sync);                // capabilities report WAVECAPS_SYNC
  void SetCapabilityChannels(std::uint16_t channels);
  void SetDeviceCount(std::uint32_t count);      // 0 = no device at all

  // Inspection.
  bool IsOpen() const;
  bool IsPaused() const;
  int QueuedBlocks() const;                      // written and not yet finished
  int PreparedHeaders() const;

 private:
  VirtualDevice() = default;
  friend class VirtualBackend;
};

}  // namespace wo
