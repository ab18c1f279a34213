// SPDX-License-Identifier: MIT
#include "platform/qt/end_requests.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace qtui {

namespace {

// Queued: a box is closed from inside its own loop, which then returns. Closed while it is being
// shown, before its loop runs, the box would hide and its loop wait for ever.
void Dismiss(QDialog* box) {
  QMetaObject::invokeMethod(box, &QDialog::reject, Qt::QueuedConnection);
}

constexpr int kRetryMilliseconds = 10;

}  // namespace

EndRequests::EndRequests() {
  qApp->installEventFilter(this);
}

EndRequests::~EndRequests() {
  qApp->removeEventFilter(this);
}

void EndRequests::Request() {
  ending_ = true;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QDialog*>(widget); box != nullptr && box->isVisible())
      Dismiss(box);
  }
  QTimer::singleShot(0, this, [this] { CloseWhenBackInTheMainLoop(); });
}

bool EndRequests::eventFilter(QObject* watched, QEvent* event) {
  if (ending_ && event->type() == QEvent::Show) {
    if (auto* box = qobject_cast<QDialog*>(watched); box != nullptr && box->isWindow())
      Dismiss(box);
  }
  return false;
}

void EndRequests::CloseWhenBackInTheMainLoop() {
  if (!ending_) return;
  // Still inside a box's loop, or the window's start not over: the handler has not returned.
  if (window_.isNull() || QThread::currentThread()->loopLevel() > 1 ||
      QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kRetryMilliseconds, this, [this] { CloseWhenBackInTheMainLoop(); });
    return;
  }
  ending_ = false;  // from here a box is a box again: a failed save must be seen
  if (window_->close()) QCoreApplication::exit(0);
}

}  // namespace qtui
