#include "platform/qt/message_wake.h"

#include <QMetaObject>

#include "platform/messages/messages.h"
#include "platform/qt/event_guard.h"

namespace qtui {

MessageWake::MessageWake(Dialogs& boxes) : boxes_(boxes) {
  msg::SetWakeHook([this] { Wake(); });
  // Messages posted before the hook existed would otherwise wait for the next post.
  if (msg::HasPostedMessages()) Wake();
}

MessageWake::~MessageWake() {
  msg::SetWakeHook(nullptr);
}

void MessageWake::Wake() {
  if (drainQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(
      &receiver_, [this] { Drain(); }, Qt::QueuedConnection);
}

void MessageWake::Drain() {
  // Cleared first: whatever is posted while draining queues the next drain.
  drainQueued_.store(false);
  const bool finished = RunGuarded(boxes_, [] { msg::DispatchPostedMessages(); });
  // A procedure that threw left the rest of the queue behind it.
  if (!finished && msg::HasPostedMessages()) Wake();
}

}  // namespace qtui
