#include "platform/qt/message_wake.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "platform/messages/messages.h"
#include "platform/qt/event_guard.h"

namespace qtui {

namespace {

int MakeEventFd() {
  const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  return fd;
}

}  // namespace

MessageWake::MessageWake(Dialogs& boxes)
    : boxes_(boxes), eventFd_(MakeEventFd()), notifier_(eventFd_, QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Drain(); });
  msg::SetWakeHook([this] { Wake(); });
  // Messages posted before the hook existed would otherwise wait for the next post.
  if (msg::HasPostedMessages()) Wake();
}

MessageWake::~MessageWake() {
  msg::SetWakeHook(nullptr);
  notifier_.setEnabled(false);
  ::close(eventFd_);
}

// Any thread. A signal already due covers this post too.
void MessageWake::Wake() {
  if (drainDue_.exchange(true)) return;
  const std::uint64_t one = 1;
  // Cannot fail short of a counter overflow, and then a wake-up is pending anyway.
  [[maybe_unused]] const ssize_t written = ::write(eventFd_, &one, sizeof one);
}

void MessageWake::Drain() {
  std::uint64_t count;
  [[maybe_unused]] const ssize_t read = ::read(eventFd_, &count, sizeof count);
  // Cleared before draining: whatever is posted from here on signals again, and whatever was
  // posted before is delivered by this drain.
  drainDue_.store(false);
  const bool finished = RunGuarded(boxes_, [] { msg::DispatchPostedMessages(); });
  // A procedure that threw left the rest of the queue behind it.
  if (!finished && msg::HasPostedMessages()) Wake();
}

}  // namespace qtui
