// SPDX-License-Identifier: MIT
// What a program may ask instead of tracking notices: what a channel holds and what is being
// heard. Both go by the device's own count, as the retirement of requests does.
#include <algorithm>

#include "wavemix/internal.h"

namespace wavemix {

namespace {

// The position being heard; while the device is given up, where output resumes. Past the
// last mixed byte the device has nothing more to play.
std::int32_t HeardPosition(const MixSession& session) {
  if (!session.active) return session.mixPosition;
  return std::max(0, std::min(CurrentPosition(session.device, 1), session.mixPosition));
}

bool HoldsWaiting(const MixSession& session, std::int32_t channel) {
  const PlayNode* tail = session.pendingTail;
  if (tail == nullptr) return false;
  const PlayNode* node = tail;
  do {
    node = node->Next;
    if (node->Request.Channel == channel) return true;
  } while (node != tail);
  return false;
}

}  // namespace

}  // namespace wavemix

using namespace wavemix;

std::uint32_t WaveMixGetChannelStatus(HMIXSESSION handle, std::int32_t channel) {
  MixSession& session = *ValidateSession(handle);
  CurrentSession = &session;
  if (channel < 0 || channel >= MixChannelCount) Fail("Invalid channel number");
  const PlayNode* head = session.channelTable[channel];
  if (head == ClosedChannel()) return 0;

  std::uint32_t status = MixChannelOpen;
  const std::int32_t heard = HeardPosition(session);
  for (const PlayNode* node = head; node != nullptr; node = node->Next) {
    if (node->End <= heard) continue;  // heard to its end, its notice is on the way
    status |= session.active && node->Start <= heard ? MixChannelSounding : MixChannelQueued;
  }
  if (HoldsWaiting(session, channel)) status |= MixChannelQueued;
  return status;
}

MixPosition WaveMixGetPosition(HMIXSESSION handle) {
  MixSession& session = *ValidateSession(handle);
  CurrentSession = &session;
  const wo::PCMWAVEFORMAT& format = session.outputFormat;
  const std::int64_t bytes = session.positionShift + HeardPosition(session);
  const std::int64_t frames = bytes / format.nBlockAlign;
  return {frames, frames * 1000 / format.nSamplesPerSec};
}
