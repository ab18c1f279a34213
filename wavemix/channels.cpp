// SPDX-License-Identifier: MIT
// Opening, flushing and closing channels. Every check comes before any change.
#include "wavemix/internal.h"

namespace wavemix {

namespace {

bool IsValidChannel(std::int32_t channel) { return channel >= 0 && channel < MixChannelCount; }

void OpenIfClosed(MixSession& session, int channel) {
  if (session.channelTable[channel] != ClosedChannel()) return;
  session.channelTable[channel] = nullptr;
  session.openChannelCount += 1;
}

struct ChannelRange {
  int first;
  int last;
};

ChannelRange CheckedRange(const MixSession& session, std::int32_t channel, std::int32_t flags) {
  if (flags & MixAllChannels) return {0, MixChannelCount - 1};
  if (!IsValidChannel(channel)) Fail("Invalid channel number");
  if (session.channelTable[channel] == ClosedChannel()) Fail("The specified channel was not open");
  return {channel, channel};
}

void ReturnQueue(PlayNode* node) {
  while (node != nullptr) {
    PlayNode* next = node->Next;
    ReturnPlayNode(node);
    node = next;
  }
}

}  // namespace

void DropChannelQueue(MixSession& session, int channel) {
  PlayNode* queue = session.channelTable[channel];
  session.channelTable[channel] = nullptr;
  ReturnQueue(queue);
}

}  // namespace wavemix

using namespace wavemix;

void WaveMixOpenChannels(HMIXSESSION handle, std::int32_t channel, std::int32_t flags) {
  MixSession& session = *ValidateSession(handle);
  CurrentSession = &session;
  if (flags > MixOpenCount) Fail("Invalid Flags");
  if (flags == MixOpenOne && !IsValidChannel(channel)) Fail("Invalid channel number");
  if (flags == MixOpenCount && (channel < 1 || channel > MixChannelCount)) {
    Fail("Invalid number of channels");
  }
  switch (flags) {
    case MixOpenOne:
      if (session.channelTable[channel] != ClosedChannel()) {
        Fail("The channel has already been opened");
      }
      OpenIfClosed(session, channel);
      return;
    case MixOpenAll:
      for (int i = MixChannelCount - 1; i >= 0; --i) OpenIfClosed(session, i);
      return;
    case MixOpenCount:
      for (int i = channel - 1; i >= 0; --i) OpenIfClosed(session, i);
      return;
    default:
      Fail("Invalid flag");
  }
}

void WaveMixFlushChannels(HMIXSESSION handle, std::int32_t channel, std::int32_t flags) {
  MixSession& session = *ValidateSession(handle);
  CurrentSession = &session;
  const ChannelRange range = CheckedRange(session, channel, flags);
  RetireEndedPlays();  // what has been heard to its end is told, not dropped

  bool dropped = false;
  for (int i = range.first; i <= range.last; ++i) {
    PlayNode* head = session.channelTable[i];
    if (head == ClosedChannel()) continue;
    if (head != nullptr) dropped = true;
    DropChannelQueue(session, i);
  }
  // Without a remix the dropped waves' audio already in the queued blocks plays out.
  if (dropped && !(flags & MixNoRemix) && session.active) {
    const std::int32_t audible = CurrentPosition(session.device, session.goodWavePos);
    session.remixProc(audible, nullptr);
  }
}

void WaveMixCloseChannels(HMIXSESSION handle, std::int32_t channel, std::int32_t flags) {
  WaveMixFlushChannels(handle, channel, flags | MixNoRemix);
  MixSession& session = *CurrentSession;
  const ChannelRange range = (flags & MixAllChannels) ? ChannelRange{0, MixChannelCount - 1}
                                                      : ChannelRange{channel, channel};
  for (int i = range.first; i <= range.last; ++i) {
    if (session.channelTable[i] == ClosedChannel()) continue;
    session.channelTable[i] = ClosedChannel();
    session.openChannelCount -= 1;
  }
}
