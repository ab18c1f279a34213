// Drains the message layer from Qt's event loop. Devices post their block messages from any
// thread; the wake hook queues one drain on the UI thread, so Qt's main loop and the nested
// loops of modal boxes keep the mixer pumped. A burst of posts queues a single drain.
#pragma once

#include <QObject>
#include <atomic>

#include "platform/qt/dialogs.h"

namespace qtui {

class MessageWake {
 public:
  // Installs the wake hook; call on the UI thread with the QApplication alive. An error that
  // leaves a window procedure is shown in boxes' error box.
  explicit MessageWake(Dialogs& boxes);
  // Withdraws the hook (before the QApplication goes); drains still queued are dropped.
  ~MessageWake();
  MessageWake(const MessageWake&) = delete;
  MessageWake& operator=(const MessageWake&) = delete;

 private:
  void Wake();
  void Drain();

  Dialogs& boxes_;
  QObject receiver_;  // lives on the UI thread: queued drains run there
  std::atomic<bool> drainQueued_{false};
};

}  // namespace qtui
