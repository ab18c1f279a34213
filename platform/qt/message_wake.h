// SPDX-License-Identifier: MIT
// Drains the message layer from Qt's event loop. Devices post their block messages from any
// thread; the layer's WakeFd makes an eventfd readable that Qt's loop watches, and the loop
// drains the queue on the UI thread, so Qt's main loop and the nested loops of modal boxes
// keep the mixer pumped. A posting thread shares nothing with Qt and allocates nothing.
#pragma once

#include <QSocketNotifier>

#include "platform/messages/messages.h"
#include "platform/qt/dialogs.h"

namespace qtui {

class MessageWake {
 public:
  // Installs the wake hook; call on the UI thread with the QApplication alive. An error that
  // leaves a window procedure is shown in boxes' error box. Throws std::system_error when the
  // system gives no eventfd.
  explicit MessageWake(Dialogs& boxes);
  // Withdraws the hook (before the QApplication goes).
  ~MessageWake();
  MessageWake(const MessageWake&) = delete;
  MessageWake& operator=(const MessageWake&) = delete;

 private:
  void Drain();

  Dialogs& boxes_;
  msg::WakeFd wake_;
  QSocketNotifier notifier_;  // on the UI thread: drains run there
};

}  // namespace qtui
