// SPDX-License-Identifier: MIT
// Positions are 32-bit byte counts of the stream. A stream that sounds without a pause for
// longer than 2^31 bytes (under 7 hours at 44 kHz stereo) would wrap them; instead, every
// position the mixer keeps is moved back together by whole seconds of output once the mix
// position passes a threshold. Only differences of positions are ever heard, so nothing
// changes audibly.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

// A request that never ends only needs its start modulo its length (a loop) or, once past
// its data, any start that stays past it; either keeps it from running below the range.
std::int64_t KeptStart(const PlayNode& node, std::int64_t start) {
  if (node.End != NeverPosition || start >= 0 || node.Length <= 0) return start;
  if (node.Request.Loops != 0) return -(-start % node.Length);
  return start < -static_cast<std::int64_t>(node.Length) ? -static_cast<std::int64_t>(node.Length)
                                                         : start;
}

}  // namespace

void ShiftPositions(std::int32_t by) {
  MixSession& session = *CurrentSession;
  ShiftClock(by);
  session.positionShift += by;
  session.mixPosition -= by;
  for (WaveBlock* block : WaveBlockTable) {
    if (block != nullptr) block->startPosition -= by;
  }
  for (PlayNode* head : session.channelTable) {
    if (head == ClosedChannel()) continue;
    for (PlayNode* node = head; node != nullptr; node = node->Next) {
      if (node->End != NeverPosition) node->End -= by;
      if (node->Start != NeverPosition) {
        node->Start = static_cast<std::int32_t>(KeptStart(*node, std::int64_t{node->Start} - by));
      }
    }
  }
}

void KeepPositionsInRange() {
  MixSession& session = *CurrentSession;
  if (session.mixPosition < LongStreamThreshold) return;
  // Whole seconds keep the timer clock exact; what is still queued or unfinished lies
  // above the threshold's half, so every position stays positive.
  const std::int32_t second = static_cast<std::int32_t>(session.outputFormat.nAvgBytesPerSec);
  ShiftPositions((session.mixPosition - LongStreamThreshold / 2) / second * second);
}

}  // namespace wavemix
