// SPDX-License-Identifier: MIT
#include "clocks.h"

#include <optional>
#include <string>

#include "platform/messages/messages.h"
#include "platform/waveout/virtual_device.h"
#include "wavemix/wavemix.h"

namespace render {

namespace {

// Delivers everything posted, including what the delivery itself posts (end-of-wave
// notices from the block pump). A mixer error raised by the pump is kept for the caller,
// so that time still runs to its end.
void Drain(std::optional<std::string>& failure) {
  while (msg::HasPostedMessages()) {
    try {
      msg::DispatchPostedMessages();
    } catch (const EWaveMixError& error) {
      if (!failure) failure = error.what();
    }
  }
}

}  // namespace

void VirtualClock::Wait(std::uint32_t ms) {
  constexpr std::uint32_t kSliceMs = 60'000;
  std::optional<std::string> failure;
  Drain(failure);  // as the live clock does: nothing posted before the wait waits for its end
  for (std::uint32_t left = ms; left > 0;) {
    const std::uint32_t slice = left < kSliceMs ? left : kSliceMs;
    device_.Advance(slice, [&failure] { Drain(failure); });
    left -= slice;
    if (stop_ && stop_()) throw Stopped();
  }
  Drain(failure);
  if (failure) throw EWaveMixError(*failure);
}

std::uint32_t VirtualClock::NowMs() const { return device_.NowMs(); }

LiveClock::LiveClock() : start_(std::chrono::steady_clock::now()) {
  msg::SetWakeHook([this] {
    std::lock_guard guard(lock_);
    pending_ = true;
    posted_.notify_one();
  });
}

LiveClock::~LiveClock() { msg::SetWakeHook(nullptr); }

void LiveClock::Wait(std::uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::optional<std::string> failure;
  for (;;) {
    Drain(failure);
    std::unique_lock guard(lock_);
    if (!posted_.wait_until(guard, deadline, [this] { return pending_; })) break;
    pending_ = false;
  }
  Drain(failure);
  if (failure) throw EWaveMixError(*failure);
}

std::uint32_t LiveClock::NowMs() const {
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start_)
                                        .count());
}

}  // namespace render
