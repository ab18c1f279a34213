// SPDX-License-Identifier: MIT
// Shared by the tests of the real-time back ends: a receiving window, blocks, and bounded
// waits that drain the message queue as a UI thread would.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/wave_out.h"

namespace wotest {

using namespace wo;

// Generous: these tests must pass on a loaded machine; they never judge speed.
constexpr auto kPatience = std::chrono::seconds(20);

struct Received {
  WAVEHDR* header;
  bool doneFlag;  // WHDR_DONE as the receiver saw it
  std::thread::id thread;
};
inline std::vector<Received> received;

inline msg::LRESULT ReceiverProc(msg::HWND w, msg::UINT m, msg::WPARAM wp, msg::LPARAM lp) {
  if (m != MM_WOM_DONE) return msg::DefWindowProc(w, m, wp, lp);
  auto* header = reinterpret_cast<WAVEHDR*>(lp);
  received.push_back({header, (header->dwFlags & WHDR_DONE) != 0, std::this_thread::get_id()});
  return 0;
}

inline msg::HWND MakeReceiver() {
  msg::ResetForTesting();
  received.clear();
  msg::RegisterClass("Receiver", ReceiverProc);
  return msg::CreateWindow("Receiver", 0);
}

// Drains posted messages until pred holds or patience runs out; returns pred().
inline bool DrainUntil(const std::function<bool()>& pred, std::chrono::milliseconds patience = kPatience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Drains for a fixed while (only to let time pass; nothing is judged by it).
inline void DrainFor(std::chrono::milliseconds d) {
  const auto end = std::chrono::steady_clock::now() + d;
  while (std::chrono::steady_clock::now() < end) {
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

inline PCMWAVEFORMAT Format(std::uint16_t channels, std::uint32_t rate) {
  return {WAVE_FORMAT_PCM, channels, rate, rate * channels, channels, 8};
}

// Samples never equal to 128, so they stand out from silence.
struct Block {
  std::vector<char> data;
  WAVEHDR header{};
  Block(std::size_t n, int seed) : data(n) {
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<char>(1 + (seed * 37 + static_cast<int>(i)) % 120);
    header.lpData = data.data();
    header.dwBufferLength = static_cast<std::uint32_t>(n);
  }
  bool Done() const { return (header.dwFlags & WHDR_DONE) != 0; }
};

inline std::uint32_t PositionOf(HWAVEOUT device) {
  MMTIME t{TIME_BYTES, 0};
  EXPECT_EQ(waveOutGetPosition(device, &t, 12), MMSYSERR_NOERROR);
  return t.cb;
}

}  // namespace wotest
