// SPDX-License-Identifier: MIT
// The block pump, run for every block the device hands back: take back played blocks,
// retire the requests whose end has been heard, refill every free block.
#include <cstring>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

bool AnyChannelBusy(const MixSession& session) {
  for (const PlayNode* head : session.channelTable) {
    if (head != nullptr && head != ClosedChannel()) return true;
  }
  return false;
}

}  // namespace

void WriteSilenceForUnheardEnds() {
  MixSession& session = *CurrentSession;
  if (PlayingHead != nullptr || !AnyChannelBusy(session)) return;
  WaveBlock* block = TakeFreeBlock();
  if (block == nullptr) return;
  // One frame: the device takes it with the next bytes it asks for, so it comes back as
  // soon as what came before it has been heard.
  const std::uint16_t frame = session.outputFormat.nBlockAlign;
  std::memset(block->data, 128, frame);
  block->header.dwBufferLength = frame;
  block->startPosition = session.mixPosition;
  session.mixPosition =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(session.mixPosition) + frame);
  WriteBlock(block);
}

void RetireEndedPlays() {
  const MixSession& session = *CurrentSession;
  // The device's count, whatever clock the session plays by: a request is done when its
  // end has really been played.
  if (session.device != nullptr) RetirePlaysEndedBy(CurrentPosition(session.device, 1));
}

void RetirePlaysEndedBy(std::int32_t position) {
  MixSession& session = *CurrentSession;
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    PlayNode*& head = session.channelTable[channel];
    if (head == ClosedChannel()) continue;
    while (head != nullptr && position >= head->End) {
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
  KeepTimerWithDevice();  // a block just came back: the device's position is fresh
  KeepPositionsInRange();
  while (MixBlock(TakeFreeBlock(), true)) {
  }
  WriteSilenceForUnheardEnds();
}

}  // namespace wavemix
