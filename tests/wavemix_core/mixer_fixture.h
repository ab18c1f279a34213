// SPDX-License-Identifier: MIT
// Shared set-up for the mixer's tests: a fresh virtual device, a private WAVEMIX.INI, waves
// built by hand, a notify window that records what it receives, and clean-up of the
// mixer's unit-wide state after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/virtual_device.h"
#include "wavemix/internal.h"
#include "wavemix/wavemix.h"

namespace mixtest {

// A wave of the given samples, registered as live like a loaded one.
class HandWave {
 public:
  explicit HandWave(std::vector<std::uint8_t> samples);
  ~HandWave();
  HandWave(const HandWave&) = delete;
  HandWave& operator=(const HandWave&) = delete;
  MixWave* get() { return &wave_; }
  const std::vector<std::uint8_t>& samples() const { return samples_; }

 private:
  std::vector<std::uint8_t> samples_;
  MixWave wave_{};
};

std::vector<std::uint8_t> Constant(std::size_t length, std::uint8_t value);
// Bytes that differ from their neighbours and stay clear of 128 (0..255 cycling, 128 skipped
// by offset), so a shifted or repeated run is caught.
std::vector<std::uint8_t> Ramp(std::size_t length, std::uint8_t first = 0);

struct Notice {
  msg::WPARAM channel;
  msg::LPARAM wave;
  std::uint32_t atMs;
};

class MixerTest : public ::testing::Test {
 public:
  static std::vector<Notice>& Notices();

 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes WAVEMIX.INI into this test's private configuration folder.
  void WriteSettings(const std::string& text);
  // Delivers what was posted, then moves virtual time on, draining posted messages whenever
  // the device finishes a block.
  void Advance(std::uint32_t ms);

  HMIXSESSION Init();                  // WaveMixInit, remembered for clean-up
  HMIXSESSION InitEx(const MixConfig* config);
  // Init + activate + open all channels.
  HMIXSESSION Start();
  // A plain request; flags and loops as given.
  void Play(int channel, HandWave& wave, std::uint32_t flags = 0, std::uint16_t loops = 0,
            msg::HWND notify = 0);
  void Play(int channel, MixWave* wave, std::uint32_t flags = 0, std::uint16_t loops = 0,
            msg::HWND notify = 0);

  msg::HWND NotifyWindow();            // created on first use
  // WaveMixOpenWave of a memory image of these 8-bit mono samples at 11025 Hz.
  MixWave* Load(const std::vector<std::uint8_t>& samples);

  int FreeNodeCount() const;
  const std::vector<std::uint8_t>& Recording() const { return device_->Recording(); }
  // The recording from..from+count (128 beyond its end).
  std::vector<std::uint8_t> Heard(std::size_t from, std::size_t count) const;
  // The virtual time by which the recording's byte `index` had been played, for a session
  // whose device opened at 0 ms.
  std::uint32_t HeardByMs(std::size_t index) const;
  // One block of output, in milliseconds (rounded up).
  std::uint32_t BlockMs() const;

  wo::VirtualDevice* device_ = nullptr;
  HMIXSESSION session_ = nullptr;

 private:
  std::filesystem::path configDir_;
  msg::HWND notifyWindow_ = 0;
};

// Runs the call and checks that it raises EWaveMixError with exactly this message.
void ExpectMessage(const std::function<void()>& call, const std::string& message);

// Builds the expected stream by hand: Expect().Bytes(...).Silence(n)...
class Expected {
 public:
  Expected& Bytes(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count);
  Expected& Silence(std::size_t count);
  Expected& Fill(std::size_t count, std::uint8_t value);
  const std::vector<std::uint8_t>& get() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace mixtest
