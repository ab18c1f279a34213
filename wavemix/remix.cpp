// SPDX-License-Identifier: MIT
// Remixing: the blocks already queued at the device are mixed again from what is audible now,
// so a new request (or a flush) is heard at once instead of after the queued audio.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

// A device left paused with blocks queued would never hand one back, so nothing would pump
// it again: whatever happens while the blocks are rewritten, it is restarted.
class PausedDevice {
 public:
  explicit PausedDevice(wo::HWAVEOUT device) : device_(device) { wo::waveOutPause(device_); }
  ~PausedDevice() { wo::waveOutRestart(device_); }
  PausedDevice(const PausedDevice&) = delete;
  PausedDevice& operator=(const PausedDevice&) = delete;

 private:
  wo::HWAVEOUT device_;
};

}  // namespace

// The blocks are rebuilt from what the device has taken, whatever position the caller
// names: a later one would skip what every other channel plays in between, an earlier one
// would play it twice, and either would leave the clock out of step with the stream, so that
// requests near the end would be retired late or never. What the device has taken it plays
// as it is, so the audible position would be too early on a device with a buffer of its own.
// Requests placed after that position (at the old mix position) stay silent on their own
// channel until their start.
void RemixFromPosition(std::int32_t /*position*/, PlayNode* /*node*/) {
  MixSession& session = *CurrentSession;
  ResetOutput(session.device);  // clock and mixPosition where the device stopped taking
  ReleasePlayingBlocks();

  while (WaveBlock* block = TakeFreeBlock()) {
    if (!MixBlock(block, false)) {
      MarkBlockFree(block);
      break;
    }
    AppendPlayingBlock(block);
  }

  PausedDevice paused(session.device);
  for (WaveBlock* block = PlayingHead; block != nullptr;) {
    WaveBlock* following = block->nextPlaying;
    if (wo::waveOutWrite(session.device, &block->header, sizeof block->header) !=
        wo::MMSYSERR_NOERROR) {
      MarkBlockFree(block);
      UnlinkPlayingBlock(block);
      Fail("Failed to write block to device");
    }
    block = following;
  }
  WriteSilenceForUnheardEnds();
}

}  // namespace wavemix
