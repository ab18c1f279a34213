// SPDX-License-Identifier: MIT
// A whole session on SDL's dummy driver, whose callback runs on SDL's own audio thread:
// play, flush, deactivate and end while only this thread touches the mixer. Run under
// ThreadSanitizer in CI (label threads).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/backend.h"
#include "wavemix/internal.h"
#include "wavemix/wavemix.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::pair<msg::WPARAM, msg::LPARAM>> g_notices;

msg::LRESULT NoticeProc(msg::HWND, msg::UINT message, msg::WPARAM wParam, msg::LPARAM lParam) {
  if (message == wo::MM_WOM_DONE) g_notices.emplace_back(wParam, lParam);
  return 0;
}

// Drains posted messages on this thread until the condition holds or a generous limit
// passes (the limit only keeps a broken build from hanging; nothing is timed).
template <typename Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    msg::DispatchPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void PumpFor(std::chrono::milliseconds span) {
  const auto end = Clock::now() + span;
  PumpUntil([&] { return Clock::now() >= end; }, span + std::chrono::seconds(1));
}

class SdlSession : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("WAVEMIX_OUTPUT");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_CONFIG_HOME", folder, 1);
    msg::ResetForTesting();
    g_notices.clear();
    msg::RegisterClass("MixcoreSdlNotice", NoticeProc);
    notify = msg::CreateWindow("MixcoreSdlNotice", 0);

    session = WaveMixInit();
    WaveMixActivate(session, true);
    WaveMixOpenChannels(session, 0, MixOpenAll);
    shortWave.header.lpData = reinterpret_cast<char*>(shortSamples.data());
    shortWave.header.dwBufferLength = static_cast<std::uint32_t>(shortSamples.size());
    longWave.header.lpData = reinterpret_cast<char*>(longSamples.data());
    longWave.header.dwBufferLength = static_cast<std::uint32_t>(longSamples.size());
    wavemix::RegisterWave(&shortWave);
    wavemix::RegisterWave(&longWave);
    params.Size = sizeof params;
    params.Session = session;
    params.NotifyWindow = notify;
  }
  void TearDown() override {
    if (wavemix::LiveSession != nullptr) WaveMixEndSession(session);
    wavemix::UnregisterWave(&shortWave);
    wavemix::UnregisterWave(&longWave);
    msg::ResetForTesting();
    std::filesystem::remove_all(folder);
  }
  void Play(int channel, MixWave& wave) {
    params.Channel = channel;
    params.Wave = &wave;
    WaveMixPlay(&params);
  }

  char folder[32] = "/tmp/mixcore-sdl-XXXXXX";
  msg::HWND notify = 0;
  HMIXSESSION session = nullptr;
  std::vector<std::uint8_t> shortSamples = std::vector<std::uint8_t>(1000, 170);
  std::vector<std::uint8_t> longSamples = std::vector<std::uint8_t>(40000, 90);
  MixWave shortWave{};
  MixWave longWave{};
  MixPlayParams params{};
};

TEST_F(SdlSession, PlaysFlushesDeactivatesAndEndsOnTheDummyDriver) {
  Play(3, shortWave);
  ASSERT_TRUE(PumpUntil([] { return !g_notices.empty(); }));
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].first, 3u);
  EXPECT_EQ(g_notices[0].second, reinterpret_cast<msg::LPARAM>(&shortWave));

  Play(0, longWave);
  Play(1, longWave);
  PumpFor(std::chrono::milliseconds(200));
  const std::int32_t before = wavemix::CurrentPosition(session->device, 1);
  EXPECT_GT(before, 0);
  WaveMixFlushChannels(session, 0, 0);  // remixes the queued blocks while SDL plays them
  EXPECT_EQ(session->channelTable[0], nullptr);
  PumpFor(std::chrono::milliseconds(200));
  EXPECT_GE(wavemix::CurrentPosition(session->device, 1), before);

  WaveMixActivate(session, false);
  EXPECT_EQ(session->device, nullptr);
  EXPECT_GT(session->mixPosition, 0);
  PumpFor(std::chrono::milliseconds(50));  // late block messages for the closed device
  WaveMixActivate(session, true);
  PumpFor(std::chrono::milliseconds(100));
  WaveMixEndSession(session);
  PumpFor(std::chrono::milliseconds(50));

  EXPECT_EQ(wavemix::LiveSession, nullptr);
  EXPECT_EQ(wavemix::DeviceOwner, nullptr);
  EXPECT_EQ(g_notices.size(), 1u);  // flushed and ended requests get none
}

// Run dry, the device closes its stream towards the system; the next play opens it again at
// its first block. Every block comes back and every request is told, before and after.
TEST_F(SdlSession, AQuietSpellClosesTheStreamAndTheNextPlayOpensItAgain) {
  EXPECT_FALSE(session->device->Streaming()) << "open towards the system with nothing to play";
  for (int round = 1; round <= 2; ++round) {
    Play(2, shortWave);
    EXPECT_TRUE(session->device->Streaming());
    ASSERT_TRUE(PumpUntil([&] { return g_notices.size() == static_cast<std::size_t>(round); }));
    EXPECT_EQ(g_notices.back().first, 2u);
    EXPECT_EQ(g_notices.back().second, reinterpret_cast<msg::LPARAM>(&shortWave));
    ASSERT_TRUE(PumpUntil([&] { return !session->device->Streaming(); }));
    EXPECT_EQ(wavemix::PlayingHead, nullptr) << "a block was not handed back";
    EXPECT_EQ(session->channelTable[2], nullptr);
  }
  // A sound longer than the blocks queued ahead, refilled from the pumps until the stream runs
  // dry and closes, then one more.
  Play(1, longWave);
  ASSERT_TRUE(PumpUntil([&] { return session->mixPosition >= 40000; }));
  ASSERT_TRUE(PumpUntil([&] { return !session->device->Streaming(); }));
  Play(2, shortWave);
  ASSERT_TRUE(PumpUntil([] { return g_notices.size() == 4; }));
  PumpFor(std::chrono::milliseconds(100));
  EXPECT_EQ(g_notices.size(), 4u) << "one notice a request";
  EXPECT_EQ(session->channelTable[1], nullptr);
}

}  // namespace
