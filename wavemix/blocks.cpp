// SPDX-License-Identifier: MIT
// The output blocks in use and the playing list: blocks written to the device (or about to
// be) and not yet taken back, in writing order.
#include "wavemix/internal.h"

namespace wavemix {

WaveBlock* TakeFreeBlock() {
  const int usable = CurrentSession != nullptr ? CurrentSession->blockCount : 0;
  for (int i = 0; i < usable && i < MaxWaveBlocks; ++i) {
    WaveBlock* block = WaveBlockTable[i];
    if (block == nullptr || block->free != 1) continue;
    block->free = 0;
    block->header.dwBufferLength = static_cast<std::uint32_t>(CurrentSession->blockLength);
    block->header.lpData = reinterpret_cast<char*>(block->data);
    block->session = DeviceOwner;
    return block;
  }
  return nullptr;
}

void MarkBlockFree(WaveBlock* block) { block->free = 1; }

namespace {

// A block linked to itself would make the list endless; it can only come from a fault.
void AlarmIfSelfLinked(const WaveBlock* block) {
  if (block != nullptr && block->nextPlaying == block) wo::MessageBeep(1);
}

}  // namespace

void AppendPlayingBlock(WaveBlock* block) {
  block->nextPlaying = nullptr;
  if (PlayingHead == nullptr) {
    PlayingHead = block;
  } else {
    PlayingTail->nextPlaying = block;
    AlarmIfSelfLinked(PlayingTail);
  }
  PlayingTail = block;
}

WaveBlock* UnlinkPlayingBlock(WaveBlock* block) {
  WaveBlock* previous = nullptr;
  WaveBlock* current = PlayingHead;
  while (current != nullptr && current != block) {
    previous = current;
    current = current->nextPlaying;
  }
  if (current == nullptr) return nullptr;

  if (previous == nullptr) {
    PlayingHead = block->nextPlaying;
  } else {
    previous->nextPlaying = block->nextPlaying;
    AlarmIfSelfLinked(previous);
  }
  if (PlayingTail == block) PlayingTail = previous;
  if (PlayingHead == nullptr) PlayingTail = nullptr;
  block->nextPlaying = nullptr;
  return block;
}

void ReleasePlayingBlocks() {
  while (PlayingHead != nullptr) {
    MarkBlockFree(PlayingHead);
    UnlinkPlayingBlock(PlayingHead);
  }
}

}  // namespace wavemix
