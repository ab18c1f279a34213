// SPDX-License-Identifier: MIT
// The two clocks a script can run on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>

#include "runner.h"

namespace wo {
class VirtualDevice;
}

namespace render {

// Virtual time on the virtual device: what was posted before the wait is delivered at its
// start, then messages are delivered whenever the device finishes a block, before time moves
// on. When stop() holds (checked at least every minute of virtual time) the wait ends by
// raising Stopped.
class VirtualClock final : public ScriptClock {
 public:
  struct Stopped : std::runtime_error {
    Stopped() : std::runtime_error("stopped") {}
  };
  explicit VirtualClock(wo::VirtualDevice& device, std::function<bool()> stop = {})
      : device_(device), stop_(std::move(stop)) {}
  void Wait(std::uint32_t ms) override;
  std::uint32_t NowMs() const override;

 private:
  wo::VirtualDevice& device_;
  std::function<bool()> stop_;
};

// Real time on the default back end: sleeps until a message is posted or the time is up.
class LiveClock final : public ScriptClock {
 public:
  LiveClock();
  ~LiveClock() override;
  void Wait(std::uint32_t ms) override;
  std::uint32_t NowMs() const override;

 private:
  std::chrono::steady_clock::time_point start_;
  std::mutex lock_;
  std::condition_variable posted_;
  bool pending_ = false;
};

}  // namespace render
