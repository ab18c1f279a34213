// SPDX-License-Identifier: MIT
// SIGINT, SIGTERM and SIGHUP as requests to end, delivered on the UI thread by Qt's event loop.
// A signal the program was started with ignored (nohup's SIGHUP) stays ignored.
// The handler itself only writes the signal's number to a pipe (all a handler may safely do);
// a socket notifier on the pipe's other end hands it to the program, wherever its loop runs,
// the nested loops of modal boxes included.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace qtui {

class QuitSignals {
 public:
  // Installs the handlers, once per process. Call it early, before any library that starts
  // threads: a signal that comes before a QuitSignals watches waits in the pipe. False when the
  // system gives no pipe (the signals then keep their default action).
  static bool Install();

  // Watches the pipe (Install first, with the QApplication alive); onSignal gets each signal's
  // number on the UI thread.
  explicit QuitSignals(std::function<void(int signal)> onSignal);
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  void Deliver();

  std::function<void(int)> onSignal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace qtui
