// SPDX-License-Identifier: MIT
#include "platform/qt/message_wake.h"

#include "platform/qt/event_guard.h"

namespace qtui {

MessageWake::MessageWake(Dialogs& boxes)
    : boxes_(boxes), notifier_(wake_.Fd(), QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Drain(); });
}

// The notifier goes first (members in reverse order), then the hook and the descriptor.
MessageWake::~MessageWake() {
  notifier_.setEnabled(false);
}

void MessageWake::Drain() {
  wake_.Acknowledge();
  const bool finished = RunGuarded(boxes_, [] { msg::DispatchPostedMessages(); });
  // A procedure that threw left the rest of the queue behind it.
  if (!finished && msg::HasPostedMessages()) wake_.Signal();
}

}  // namespace qtui
