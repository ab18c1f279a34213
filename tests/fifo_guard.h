// SPDX-License-Identifier: MIT
// FIFOs without a writer, for checking that an open by path never waits on one. Should an
// open block all the same, the guard's watchdog opens each FIFO for writing after a few
// seconds, which frees the reader, and Rescued() tells the test it had to: a regression
// fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

class FifoGuard {
 public:
  explicit FifoGuard(std::chrono::seconds patience = std::chrono::seconds(5))
      : patience_(patience) {}
  ~FifoGuard() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    for (const std::string& path : paths_) ::unlink(path.c_str());
  }
  FifoGuard(const FifoGuard&) = delete;
  FifoGuard& operator=(const FifoGuard&) = delete;

  // Makes a FIFO at path; false when it cannot be made. Call before any open is tried.
  bool Make(const std::string& path) {
    if (::mkfifo(path.c_str(), 0644) != 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.push_back(path);
    if (!watchdog_.joinable()) watchdog_ = std::thread([this] { Watch(); });
    return true;
  }

  bool Rescued() const { return rescued_.load(); }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_for(lock, patience_, [this] { return done_; })) return;
    rescued_ = true;
    // Until the test ends, keep freeing whoever waits on a FIFO: a writer that comes and goes
    // gives a blocked reader its open and then the end of the file.
    while (!wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; })) {
      for (const std::string& path : paths_) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
      }
    }
  }

  std::chrono::seconds patience_;
  std::vector<std::string> paths_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::atomic<bool> rescued_{false};
  std::thread watchdog_;
};

}  // namespace test_support
