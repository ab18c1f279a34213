// SPDX-License-Identifier: MIT
// Ending a session: give up the device, close every channel, destroy the record.
#include "wavemix/internal.h"

using namespace wavemix;

void WaveMixEndSession(HMIXSESSION handle) {
  MixSession* session = ValidateSession(handle);
  CurrentSession = session;
  WaveMixActivate(session, false);
  WaveMixCloseChannels(session, 0, MixAllChannels);
  // Requests still held by MixPlayWait go back to the pool with the session.
  while (PlayNode* node = TakePending(*session)) ReturnPlayNode(node);
  CurrentSession = nullptr;
  LiveSession = nullptr;
  ReleaseHandleRecord(session, sizeof *session);  // zeroed: both guard words stop matching
}
