// SPDX-License-Identifier: MIT
// The virtual wave-output device: exact, deterministic and faster than real time, for tests
// and offline rendering.
//
// One device, product name "Virtual wave output", 2 channels in its capabilities. Its clock
// moves only when the caller advances it, and it drives timeGetTime() too, so the device
// clock and the timer clock agree. Time passes in whole frames: by virtual time t ms,
// floor(t * framesPerSecond / 1000) frames have passed. The recording holds one frame per
// frame of time: what the device played, or silence (128) while it ran dry, was paused or
// closed. The frame format is that of the latest open (or mono at the rate given to Install
// before any open); a change takes effect from that moment, and the recording is first
// padded with silence to a whole frame of the new format. Opening a second time while open
// fails with MMSYSERR_ALLOCATED.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace wo {

class VirtualDevice {
 public:
  // Makes the virtual device the wave-output back end, with a fresh clock at 0 ms and an
  // empty recording, mono at the given rate, and returns it. Replaces any back end chosen
  // before.
  static VirtualDevice& Install(std::uint32_t framesPerSecond = 11025);
  // Goes back to the back end chosen by WAVEMIX_OUTPUT.
  static void Uninstall();

  // Moves virtual time on by ms. Whenever a block's last byte is played, the device posts
  // its MM_WOM_DONE and calls pump() before time moves any further.
  void Advance(std::uint32_t ms, const std::function<void()>& pump);
  std::uint32_t NowMs() const;

  // The frame format time passes in until the next open: frames per second and bytes per
  // frame (1 mono, 2 stereo).
  void SetFrameFormat(std::uint32_t framesPerSecond, std::uint32_t frameBytes);
  const std::vector<std::uint8_t>& Recording() const;
  // Hands every recorded byte to sink instead of keeping it in Recording(), so that a long
  // run holds no copy (nullptr: keep them again). Bytes come in order, in whole frames.
  using RecordingSink = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
  void SetRecordingSink(RecordingSink sink);
  // Frames of time recorded so far, in bytes.
  std::uint64_t RecordedBytes() const;

  // Failure injection. Refused opens give MMSYSERR_ALLOCATED, prepares MMSYSERR_NOMEM,
  // writes MMSYSERR_ERROR, format queries WAVERR_BADFORMAT.
  void RefuseOpen(bool refuse);         // waveOutOpen (not the query) fails
  void RefusePrepareNumber(int n);      // the nth prepare from now fails (1 = next); 0 = none
  void RefuseWrites(bool refuse);       // waveOutWrite fails
  void RefuseFormatQuery(bool refuse);  // WAVE_FORMAT_QUERY fails
  void SetSynchronous(bool sync);       // capabilities report WAVECAPS_SYNC
  void SetCapabilityChannels(std::uint16_t channels);
  void SetDeviceCount(std::uint32_t count);  // 0 = no device at all

  // Inspection.
  bool IsOpen() const;
  bool IsPaused() const;
  int QueuedBlocks() const;  // written and not yet finished
  int PreparedHeaders() const;

 private:
  VirtualDevice() = default;
  friend class VirtualBackend;
};

}  // namespace wo
