// SPDX-License-Identifier: MIT
#include "platform/qt/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace qtui {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

int pipeEnds[2] = {-1, -1};

extern "C" void WriteSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // A full pipe already holds a request to end: dropping this one loses nothing.
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
  errno = saved;
}

}  // namespace

bool QuitSignals::Install() {
  static const bool installed = [] {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = &WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
      // Ignored on entry (nohup's SIGHUP, SIGINT in a shell's background job): left ignored.
      struct sigaction inherited {};
      if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
        continue;
      ::sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  return installed;
}

QuitSignals::QuitSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
  if (pipeEnds[0] < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Deliver(); });
}

QuitSignals::~QuitSignals() = default;

void QuitSignals::Deliver() {
  unsigned char number = 0;
  while (::read(pipeEnds[0], &number, 1) == 1) onSignal_(number);
}

}  // namespace qtui
