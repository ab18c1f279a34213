// SPDX-License-Identifier: MIT
// Play requests: validate, take a node, hold it in PendingPlays (MixPlayWait), then place
// every pending node on its channel at a stream position and start or remix the output.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

bool IsIdle(const PlayNode* head) { return head == nullptr || head == ClosedChannel(); }

int LeastRecentChannel(const MixSession& session) {
  int choice = 0;
  while (session.channelTable[choice] == ClosedChannel()) ++choice;  // one is open
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    if (session.channelTable[channel] == ClosedChannel()) continue;
    if (session.channelTable[choice] == nullptr) break;  // an idle choice wins
    if (session.lastPlayStamp[channel] < session.lastPlayStamp[choice]) choice = channel;
  }
  return choice;
}

// An end past the largest position is never reached: such a request sounds until it is
// flushed or replaced, rather than wrapping to an end in the past that is never retired.
std::int32_t EndOf(const PlayNode& node) {
  if (node.Request.Loops == MixLoopForever || node.Start == NeverPosition) return NeverPosition;
  const std::int64_t passes = static_cast<std::int64_t>(node.Request.Loops) + 1;
  const std::int64_t end = node.Start + passes * node.Length - 1;
  return end >= NeverPosition ? NeverPosition : static_cast<std::int32_t>(end);
}

struct Placement {
  PlayNode* last = nullptr;  // the last node placed
  bool remixNeeded = false;
};

// Places one node on its channel; true when the blocks already queued must be remixed.
bool Place(MixSession& session, PlayNode& node, std::int32_t now) {
  const int channel = node.Request.Channel;
  const std::uint32_t flags = node.Request.Flags & 0xFF;
  const bool highPriority = (flags & MixPlayHighPriority) != 0;
  const std::int32_t mixPosition = session.mixPosition;
  PlayNode*& head = session.channelTable[channel];
  bool remix;

  if (flags & MixPlayClearQueue) {
    DropChannelQueue(session, channel);
    head = &node;
    node.Start = highPriority ? now : mixPosition;
    remix = PlayingHead != nullptr;
  } else if (head != nullptr) {
    PlayNode* last = head;
    while (last->Next != nullptr) last = last->Next;
    last->Next = &node;
    // Never before what is already heard (high priority) or already mixed (plain).
    const std::int32_t earliest = highPriority ? now : mixPosition;
    node.Start = earliest > last->End ? earliest : last->End;
    remix = mixPosition > node.Start;
  } else {
    head = &node;
    node.Start = highPriority ? now : mixPosition;
    remix = mixPosition > node.Start;
  }
  node.End = EndOf(node);
  return remix;
}

// Places every pending node. A node whose channel was closed or whose wave was freed while
// it waited is dropped: a closed queue head is a marker, not a list.
Placement PlacePending(MixSession& session, std::int32_t now) {
  Placement placement;
  while (PlayNode* node = TakePending(session)) {
    if (session.channelTable[node->Request.Channel] == ClosedChannel() ||
        !IsLiveWave(node->Wave)) {
      ReturnPlayNode(node);
      continue;
    }
    if (Place(session, *node, now)) placement.remixNeeded = true;
    placement.last = node;
  }
  return placement;
}

// Writes every block there is something to mix for. A device paused here is restarted even
// when a write fails: paused with blocks queued, it would never hand one back.
void StartOutput(MixSession& session) {
  const bool pause = PlayingHead == nullptr;  // let the first blocks queue up together
  if (pause) wo::waveOutPause(session.device);
  try {
    while (MixBlock(TakeFreeBlock(), true)) {
    }
  } catch (...) {
    if (pause) wo::waveOutRestart(session.device);
    throw;
  }
  if (pause) wo::waveOutRestart(session.device);
}

}  // namespace

void ResetClockIfIdle() {
  const MixSession& session = *CurrentSession;
  if (PlayingHead != nullptr) return;
  for (const PlayNode* head : session.channelTable) {
    if (!IsIdle(head)) return;
  }
  SetPosition(0);  // keeps positions small between bursts of sound
  CurrentSession->positionShift = 0;
}

}  // namespace wavemix

using namespace wavemix;

void WaveMixPlay(MixPlayParams* params) {
  if (params == nullptr) Fail("nil parameters pointer passed to WaveMixPlay");
  MixSession& session = *ValidateSession(params->Session);
  CurrentSession = &session;
  if (params->Wave == nullptr) Fail("nil wave pointer passed to WaveMixPlay!");
  if (!IsLiveWave(params->Wave)) Fail("The given pointer was not valid");
  if (!session.active) Fail("Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)");
  if (session.openChannelCount == 0) Fail("You must open a channel before you can play a wave");

  const std::uint32_t flags = params->Flags & 0xFF;
  if (!(flags & MixPlayLeastRecent) &&
      (params->Channel < 0 || params->Channel >= MixChannelCount)) {
    Fail("Invalid channel number");
  }
  if (flags & MixPlayLeastRecent) params->Channel = LeastRecentChannel(session);
  const int channel = params->Channel;

  session.playCounter += 1;
  session.lastPlayStamp[channel] = session.playCounter;
  if (session.channelTable[channel] == ClosedChannel()) Fail("The specified channel was not open");

  PlayNode* node = TakePlayNode();
  if (node == nullptr) Fail("Not enough memory");
  node->Request = *params;
  node->Request.Channel = channel;
  node->Wave = params->Wave;
  node->Length = static_cast<std::int32_t>(params->Wave->header.dwBufferLength);
  node->Data = reinterpret_cast<const std::uint8_t*>(params->Wave->header.lpData);
  AppendPending(session, node);
  if (flags & MixPlayWait) return;

  ResetClockIfIdle();
  const std::int32_t now = CurrentPosition(session.device, session.goodWavePos);
  const Placement placement = PlacePending(session, now);
  if (placement.remixNeeded) {
    session.remixProc(placement.last->Start, placement.last);
    return;
  }
  StartOutput(session);
}
