// Remixing: the blocks already queued at the device are mixed again from a position, so a
// new request (or a flush) is heard at once instead of after the queued audio.
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

void RemixFromPosition(std::int32_t position, PlayNode* /*node*/) {
  MixSession& session = *CurrentSession;
  session.mixPosition = position;
  ReleasePlayingBlocks();

  while (WaveBlock* block = TakeFreeBlock()) {
    if (!MixBlock(block, false)) {
      MarkBlockFree(block);
      break;
    }
    AppendPlayingBlock(block);
  }

  // The reset anchors the clock at the audible position; the stream goes on from the
  // blocks just mixed.
  const std::int32_t next = session.mixPosition;
  ResetOutput(session.device);
  session.mixPosition = next;

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
}

}  // namespace wavemix
