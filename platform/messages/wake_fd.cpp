// SPDX-License-Identifier: MIT
// WakeFd: an eventfd written by the wake hook. The flag keeps a burst of posts to one write
// and keeps a posting thread from touching anything but the flag and the descriptor.
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/messages/messages.h"

namespace msg {

namespace {

int MakeEventFd() {
  const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  return fd;
}

}  // namespace

WakeFd::WakeFd() : fd_(MakeEventFd()) {
  PushWakeFd(this);
  // Messages posted before the hook existed would otherwise wait for the next post.
  if (HasPostedMessages()) Signal();
}

WakeFd::~WakeFd() {
  RemoveWakeFd(this);
  ::close(fd_);
}

void WakeFd::Signal() {
  if (signalled_.exchange(true)) return;
  const std::uint64_t one = 1;
  // Cannot fail short of a counter overflow, and then the descriptor is readable anyway.
  [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
}

void WakeFd::Acknowledge() {
  std::uint64_t count;
  [[maybe_unused]] const ssize_t read = ::read(fd_, &count, sizeof count);
  // Cleared after the read: a post from here on writes again, and whatever was posted
  // before is delivered by the drain that follows.
  signalled_.store(false);
}

}  // namespace msg
