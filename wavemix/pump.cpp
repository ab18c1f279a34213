// SPDX-License-Identifier: MIT
// The block pump, run for every block the device hands back: take back played blocks,
// retire the requests whose end has been heard, refill every free block.
#include "wavemix/internal.h"

namespace wavemix {

void RetireEndedPlays() {
  MixSession& session = *CurrentSession;
  // The device's count, whatever clock the session plays by: a request is done when its
  // end has really been played.
  const std::int32_t audible = CurrentPosition(session.device, 1);
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    PlayNode*& head = session.channelTable[channel];
    if (head == ClosedChannel()) continue;
    while (head != nullptr && audible >= head->End) {
      PlayNode* finished = head;
      head = finished->Next;
      if (finished->Request.NotifyWindow != 0) {
        msg::PostMessage(finished->Request.NotifyWindow, wo::MM_WOM_DONE,
                         static_cast<msg::WPARAM>(channel),
                         reinterpret_cast<msg::LPARAM>(finished->Wave));
      }
      ReturnPlayNode(finished);
    }
  }
}

void PumpBlocks() {
  CurrentSession = DeviceOwner;
  if (CurrentSession == nullptr) return;

  WaveBlock* block = PlayingHead;
  while (block != nullptr) {
    if (block->header.dwFlags & wo::WHDR_DONE) {
      UnlinkPlayingBlock(block);
      MarkBlockFree(block);
      block = PlayingHead;
    } else {
      block = block->nextPlaying;
    }
  }

  RetireEndedPlays();
  KeepPositionsInRange();
  while (MixBlock(TakeFreeBlock(), true)) {
  }
}

}  // namespace wavemix
