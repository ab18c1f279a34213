// SPDX-License-Identifier: MIT
// Ends the program on a request from outside (a signal) the way a close of its window does,
// from the event loop: the boxes open at that moment, and those the interrupted handler opens
// after them, are closed at once as their Escape would close them (OK, or No), so that handler
// runs to its end and the game's state is whole; then, back in the main loop, the window is
// closed, which runs its close handler. A close the window refuses leaves the program running,
// its boxes shown again.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace qtui {

class EndRequests : public QObject {
 public:
  EndRequests();
  ~EndRequests() override;

  // The window to close. A request made before it exists (while it is being created, a box of
  // its start open) waits for it.
  void SetWindow(QWidget* window) { window_ = window; }
  void Request();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CloseWhenBackInTheMainLoop();

  QPointer<QWidget> window_;
  bool ending_ = false;
};

}  // namespace qtui
