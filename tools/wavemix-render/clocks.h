// The two clocks a script can run on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "runner.h"

namespace wo {
class VirtualDevice;
}

namespace render {

// Virtual time on the virtual device: messages are delivered whenever the device finishes a
// block, before time moves on.
class VirtualClock final : public ScriptClock {
 public:
  explicit VirtualClock(wo::VirtualDevice& device) : device_(device) {}
  void Wait(std::uint32_t ms) override;
  std::uint32_t NowMs() const override;

 private:
  wo::VirtualDevice& device_;
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
