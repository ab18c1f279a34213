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

TEST(SdlSession, PlaysFlushesDeactivatesAndEndsOnTheDummyDriver) {
  unsetenv("WAVEMIX_OUTPUT");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  char folder[] = "/tmp/mixcore-sdl-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("XDG_CONFIG_HOME", folder, 1);
  msg::ResetForTesting();
  msg::RegisterClass("MixcoreSdlNotice", NoticeProc);
  const msg::HWND notify = msg::CreateWindow("MixcoreSdlNotice", 0);

  HMIXSESSION session = WaveMixInit();
  WaveMixActivate(session, true);
  WaveMixOpenChannels(session, 0, MixOpenAll);

  std::vector<std::uint8_t> shortSamples(1000, 170);
  std::vector<std::uint8_t> longSamples(40000, 90);
  MixWave shortWave{};
  shortWave.header.lpData = reinterpret_cast<char*>(shortSamples.data());
  shortWave.header.dwBufferLength = static_cast<std::uint32_t>(shortSamples.size());
  MixWave longWave = shortWave;
  longWave.header.lpData = reinterpret_cast<char*>(longSamples.data());
  longWave.header.dwBufferLength = static_cast<std::uint32_t>(longSamples.size());
  wavemix::RegisterWave(&shortWave);
  wavemix::RegisterWave(&longWave);

  MixPlayParams params{};
  params.Size = sizeof params;
  params.Session = session;
  params.Channel = 3;
  params.Wave = &shortWave;
  params.NotifyWindow = notify;
  WaveMixPlay(&params);
  ASSERT_TRUE(PumpUntil([] { return !g_notices.empty(); }));
  ASSERT_EQ(g_notices.size(), 1u);
  EXPECT_EQ(g_notices[0].first, 3u);
  EXPECT_EQ(g_notices[0].second, reinterpret_cast<msg::LPARAM>(&shortWave));

  params.Channel = 0;
  params.Wave = &longWave;
  WaveMixPlay(&params);
  params.Channel = 1;
  WaveMixPlay(&params);
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
  wavemix::UnregisterWave(&shortWave);
  wavemix::UnregisterWave(&longWave);
  msg::ResetForTesting();
  std::filesystem::remove_all(folder);
}

}  // namespace
