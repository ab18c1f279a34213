// SPDX-License-Identifier: MIT
// The virtual device: exact timing, its recording, the block-done path and failure injection.
#include "platform/waveout/virtual_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/wave_out.h"

namespace {

using namespace wo;

struct Done {
  HWAVEOUT device;
  WAVEHDR* header;
  bool doneFlag;  // WHDR_DONE as the receiver saw it
  std::uint32_t ms;
};
std::vector<Done> dones;
std::vector<msg::UINT> others;

msg::LRESULT SinkProc(msg::HWND w, msg::UINT m, msg::WPARAM wp, msg::LPARAM lp) {
  if (m != MM_WOM_DONE) {
    others.push_back(m);
    return msg::DefWindowProc(w, m, wp, lp);
  }
  auto* header = reinterpret_cast<WAVEHDR*>(lp);
  dones.push_back({reinterpret_cast<HWAVEOUT>(wp), header, (header->dwFlags & WHDR_DONE) != 0,
                   timeGetTime()});
  return 0;
}

PCMWAVEFORMAT Format(std::uint16_t channels, std::uint32_t rate) {
  return {WAVE_FORMAT_PCM, channels, rate, rate * channels, channels, 8};
}

struct Block {
  std::vector<char> data;
  WAVEHDR header{};
  Block(std::size_t n, int first) : data(n) {
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<char>(first + static_cast<int>(i % 50));
    header.lpData = data.data();
    header.dwBufferLength = static_cast<std::uint32_t>(n);
  }
};

class VirtualDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    msg::ResetForTesting();
    dones.clear();
    others.clear();
    ASSERT_TRUE(msg::RegisterClass("Sink", SinkProc));
    sink = msg::CreateWindow("Sink", 0);
    vd = &VirtualDevice::Install(11025);
  }
  void TearDown() override {
    VirtualDevice::Uninstall();
    msg::ResetForTesting();
  }
  void Open(const PCMWAVEFORMAT& format) {
    ASSERT_EQ(waveOutOpen(&device, 0, &format, sink, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  }
  void PrepareAndWrite(Block& b) {
    ASSERT_EQ(waveOutPrepareHeader(device, &b.header, 32), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &b.header, 32), MMSYSERR_NOERROR);
  }
  std::uint32_t Position() {
    MMTIME t{TIME_BYTES, 0};
    EXPECT_EQ(waveOutGetPosition(device, &t, 12), MMSYSERR_NOERROR);
    return t.cb;
  }
  static void Drain() { msg::DispatchPostedMessages(); }

  msg::HWND sink = 0;
  VirtualDevice* vd = nullptr;
  HWAVEOUT device = nullptr;
};

TEST_F(VirtualDeviceTest, TimeInFramesIsFlooredAndTheTimerFollowsTheVirtualClock) {
  vd->Advance(1, Drain);
  EXPECT_EQ(vd->Recording().size(), 11u);  // 11.025
  vd->Advance(2, Drain);
  EXPECT_EQ(vd->Recording().size(), 33u);  // 33.075
  vd->Advance(997, Drain);
  EXPECT_EQ(vd->Recording().size(), 11025u);
  EXPECT_EQ(vd->NowMs(), 1000u);
  EXPECT_EQ(timeGetTime(), 1000u);
  for (std::uint8_t b : vd->Recording()) ASSERT_EQ(b, 128) << "closed: silence";

  // Opening in another format changes it from that moment on, in whole frames: the odd byte
  // count is padded to a stereo frame, and 10 ms at 22050 frames per second are 220 frames.
  Open(Format(2, 22050));
  vd->Advance(3, Drain);
  EXPECT_EQ(vd->Recording().size(), 11026u + 132u);
  for (int i = 0; i < 7; ++i) vd->Advance(1, Drain);
  EXPECT_EQ(vd->Recording().size(), 11026u + 440u);
}

TEST_F(VirtualDeviceTest, BlocksPlayBackToBackAndEachFinishesWhenItsLastByteIsPlayed) {
  Open(Format(1, 11025));
  Block a(100, 10), b(100, 70);
  PrepareAndWrite(a);
  PrepareAndWrite(b);
  EXPECT_EQ(vd->QueuedBlocks(), 2);
  EXPECT_EQ(a.header.dwFlags & WHDR_DONE, 0u);

  std::vector<std::uint32_t> doneBeforeDispatch;
  vd->Advance(50, [&] {
    doneBeforeDispatch.push_back(a.header.dwFlags & WHDR_DONE);
    Drain();
  });

  const auto& rec = vd->Recording();
  ASSERT_EQ(rec.size(), 551u);  // 50 ms
  for (int i = 0; i < 100; ++i) ASSERT_EQ(rec[i], static_cast<std::uint8_t>(a.data[i])) << i;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(rec[100 + i], static_cast<std::uint8_t>(b.data[i])) << i;
  for (std::size_t i = 200; i < rec.size(); ++i) ASSERT_EQ(rec[i], 128) << "dry after " << i;

  // 100 bytes take 9.07 ms: the first block is done at 10 ms, the second (18.14) at 19 ms.
  ASSERT_EQ(dones.size(), 2u);
  EXPECT_EQ(dones[0].header, &a.header);
  EXPECT_EQ(dones[0].device, device);
  EXPECT_EQ(dones[0].ms, 10u);
  EXPECT_EQ(dones[1].header, &b.header);
  EXPECT_EQ(dones[1].ms, 19u);
  EXPECT_TRUE(dones[0].doneFlag && dones[1].doneFlag);
  EXPECT_EQ(doneBeforeDispatch.front(), 0u) << "WHDR_DONE is set only by the dispatch";
  EXPECT_EQ(Position(), 200u) << "time spent dry is not played";
  EXPECT_EQ(vd->QueuedBlocks(), 0);
}

TEST_F(VirtualDeviceTest, APumpThatRefillsOnEveryMessageKeepsTheRecordingSeamless) {
  Open(Format(1, 11025));
  Block a(512, 0), b(512, 100);
  PrepareAndWrite(a);
  PrepareAndWrite(b);
  // The receiver writes every returned block again at once, as the mixer's pump does.
  vd->Advance(1000, [&] {
    Drain();
    for (Block* x : {&a, &b}) {
      if (x->header.dwFlags & WHDR_DONE) {
        ASSERT_EQ(waveOutWrite(device, &x->header, 32), 0u);
      }
    }
  });
  const auto& rec = vd->Recording();
  ASSERT_EQ(rec.size(), 11025u);
  for (std::size_t i = 0; i < rec.size(); ++i) {
    const Block& expected = (i / 512) % 2 == 0 ? a : b;
    ASSERT_EQ(rec[i], static_cast<std::uint8_t>(expected.data[i % 512])) << i;
  }
  EXPECT_EQ(dones.size(), 11025u / 512u);
  EXPECT_EQ(Position(), 11025u);
}

TEST_F(VirtualDeviceTest, PauseHoldsThePositionAndRecordsSilenceUntilRestart) {
  Open(Format(1, 11025));
  Block a(300, 1);
  PrepareAndWrite(a);
  vd->Advance(10, Drain);  // 110 bytes
  ASSERT_EQ(waveOutPause(device), 0u);
  EXPECT_TRUE(vd->IsPaused());
  vd->Advance(10, Drain);  // 220
  EXPECT_EQ(Position(), 110u);
  WaveOutPositions both{};
  ASSERT_EQ(waveOutGetPositions(device, &both), 0u);
  EXPECT_EQ(both.consumed, 110u) << "no buffer of its own: what it takes is heard at once";
  EXPECT_EQ(both.audible, 110);
  ASSERT_EQ(waveOutRestart(device), 0u);
  vd->Advance(30, Drain);  // 551
  const auto& rec = vd->Recording();
  ASSERT_EQ(rec.size(), 551u);
  for (int i = 0; i < 110; ++i) ASSERT_EQ(rec[i], static_cast<std::uint8_t>(a.data[i]));
  for (int i = 110; i < 220; ++i) ASSERT_EQ(rec[i], 128) << "paused at " << i;
  for (int i = 220; i < 410; ++i) ASSERT_EQ(rec[i], static_cast<std::uint8_t>(a.data[i - 110]));
  for (int i = 410; i < 551; ++i) ASSERT_EQ(rec[i], 128);
  EXPECT_EQ(Position(), 300u);
  ASSERT_EQ(dones.size(), 1u);

  // Blocks written while paused start together on restart.
  ASSERT_EQ(waveOutPause(device), 0u);
  ASSERT_EQ(waveOutWrite(device, &a.header, 32), 0u);
  vd->Advance(10, Drain);
  EXPECT_EQ(vd->QueuedBlocks(), 1);
  EXPECT_EQ(Position(), 300u);
}

TEST_F(VirtualDeviceTest, ResetReturnsEveryBlockAtOnceAndRestartsThePosition) {
  Open(Format(1, 11025));
  Block a(200, 1), b(200, 2), c(200, 3);
  PrepareAndWrite(a);
  PrepareAndWrite(b);
  PrepareAndWrite(c);
  vd->Advance(10, Drain);  // 110 bytes of a
  ASSERT_EQ(waveOutReset(device), 0u);
  for (Block* x : {&a, &b, &c}) EXPECT_NE(x->header.dwFlags & WHDR_DONE, 0u);
  EXPECT_EQ(vd->QueuedBlocks(), 0);
  EXPECT_EQ(Position(), 0u);
  EXPECT_TRUE(dones.empty()) << "the messages come later, from the message loop";
  Drain();
  ASSERT_EQ(dones.size(), 3u);
  EXPECT_EQ(dones[0].header, &a.header);
  EXPECT_EQ(dones[2].header, &c.header);
  vd->Advance(10, Drain);
  for (std::size_t i = 110; i < vd->Recording().size(); ++i) ASSERT_EQ(vd->Recording()[i], 128);
}

TEST_F(VirtualDeviceTest, AMessageFromBeforeAResetDoesNotMarkABlockWrittenAgain) {
  Open(Format(1, 11025));
  Block a(200, 1);
  PrepareAndWrite(a);
  ASSERT_EQ(waveOutReset(device), 0u);  // a is done; its message is still queued
  ASSERT_EQ(waveOutWrite(device, &a.header, 32), 0u);
  Drain();
  ASSERT_EQ(dones.size(), 1u);
  EXPECT_FALSE(dones[0].doneFlag) << "the stale message must not mark the new write done";
  EXPECT_EQ(a.header.dwFlags & WHDR_DONE, 0u);
  vd->Advance(20, Drain);
  ASSERT_EQ(dones.size(), 2u);
  EXPECT_TRUE(dones[1].doneFlag);
  EXPECT_EQ(Position(), 200u);
}

TEST_F(VirtualDeviceTest, ABlockFinishedWhileTheMessageQueueIsFullStillComesBack) {
  Open(Format(1, 11025));
  Block a(100, 1);
  PrepareAndWrite(a);
  std::size_t junk = 0;
  while (msg::PostMessage(sink, 0x401, 0, 0)) ++junk;
  ASSERT_GT(junk, 0u);
  // The block ends at 10 ms while nothing more can be posted; the pump then empties the
  // queue, and the device posts the message it kept as soon as it plays on.
  vd->Advance(50, Drain);
  Drain();
  ASSERT_EQ(dones.size(), 1u);
  EXPECT_EQ(dones[0].header, &a.header);
  EXPECT_TRUE(a.header.dwFlags & WHDR_DONE);
}

TEST_F(VirtualDeviceTest, HeadersAndHandlesAreChecked) {
  Open(Format(1, 11025));
  Block a(100, 1);
  EXPECT_EQ(waveOutWrite(device, &a.header, 32), WAVERR_UNPREPARED);
  PrepareAndWrite(a);
  EXPECT_EQ(vd->PreparedHeaders(), 1);
  EXPECT_EQ(waveOutWrite(device, &a.header, 32), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, 32), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);

  HWAVEOUT second = nullptr;
  const PCMWAVEFORMAT f = Format(1, 11025);
  EXPECT_EQ(waveOutOpen(&second, 0, &f, sink, 0, CALLBACK_WINDOW), MMSYSERR_ALLOCATED);

  ASSERT_EQ(waveOutReset(device), 0u);
  EXPECT_EQ(waveOutUnprepareHeader(device, &a.header, 32), 0u);
  EXPECT_EQ(a.header.dwFlags & WHDR_PREPARED, 0u);
  EXPECT_EQ(vd->PreparedHeaders(), 0);
  EXPECT_EQ(waveOutClose(device), 0u);
  EXPECT_FALSE(vd->IsOpen());
  EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutWrite(device, &a.header, 32), MMSYSERR_INVALHANDLE);
  MMTIME t{TIME_BYTES, 0};
  EXPECT_EQ(waveOutGetPosition(device, &t, 12), MMSYSERR_INVALHANDLE);

  // Messages of a closed device are dropped with it; the open and close notices arrived.
  Drain();
  EXPECT_TRUE(dones.empty());
  EXPECT_EQ(others, (std::vector<msg::UINT>{MM_WOM_OPEN, MM_WOM_CLOSE}));
}

TEST_F(VirtualDeviceTest, FormatsAndDeviceNumbers) {
  HWAVEOUT h = nullptr;
  PCMWAVEFORMAT bad = Format(1, 11025);
  bad.wBitsPerSample = 16;
  bad.nBlockAlign = 2;
  bad.nAvgBytesPerSec = 22050;
  EXPECT_EQ(waveOutOpen(nullptr, 0, &bad, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
  const PCMWAVEFORMAT good = Format(2, 44100);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &good, 0, 0, WAVE_FORMAT_QUERY), 0u);
  EXPECT_FALSE(vd->IsOpen()) << "a query opens nothing";
  EXPECT_EQ(waveOutOpen(&h, 1, &good, sink, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &good, sink, 0, CALLBACK_WINDOW), 0u);
  EXPECT_TRUE(vd->IsOpen());
  EXPECT_EQ(waveOutClose(h), 0u);
}

TEST_F(VirtualDeviceTest, CapabilitiesAndInjectedFailures) {
  WAVEOUTCAPS caps{};
  ASSERT_EQ(waveOutGetNumDevs(), 1u);
  ASSERT_EQ(waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
  EXPECT_STREQ(caps.szPname, "Virtual wave output");
  EXPECT_EQ(caps.wChannels, 2);
  EXPECT_EQ(caps.dwSupport & WAVECAPS_SYNC, 0u);
  vd->SetSynchronous(true);
  vd->SetCapabilityChannels(1);
  ASSERT_EQ(waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof caps), 0u);
  EXPECT_NE(caps.dwSupport & WAVECAPS_SYNC, 0u);
  EXPECT_EQ(caps.wChannels, 1);
  EXPECT_EQ(waveOutGetDevCaps(1, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

  const PCMWAVEFORMAT f = Format(1, 11025);
  vd->RefuseFormatQuery(true);
  EXPECT_NE(waveOutOpen(nullptr, 0, &f, 0, 0, WAVE_FORMAT_QUERY), 0u);
  vd->RefuseFormatQuery(false);
  vd->RefuseOpen(true);
  HWAVEOUT h = nullptr;
  EXPECT_EQ(waveOutOpen(&h, 0, &f, sink, 0, CALLBACK_WINDOW), MMSYSERR_ALLOCATED);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &f, 0, 0, WAVE_FORMAT_QUERY), 0u) << "only the real open";
  vd->RefuseOpen(false);
  Open(f);

  Block blocks[4] = {{64, 1}, {64, 2}, {64, 3}, {64, 4}};
  vd->RefusePrepareNumber(3);
  EXPECT_EQ(waveOutPrepareHeader(device, &blocks[0].header, 32), 0u);
  EXPECT_EQ(waveOutPrepareHeader(device, &blocks[1].header, 32), 0u);
  EXPECT_EQ(waveOutPrepareHeader(device, &blocks[2].header, 32), MMSYSERR_NOMEM);
  EXPECT_EQ(waveOutPrepareHeader(device, &blocks[3].header, 32), 0u) << "only the third";
  EXPECT_EQ(vd->PreparedHeaders(), 3);
  vd->RefuseWrites(true);
  EXPECT_NE(waveOutWrite(device, &blocks[0].header, 32), 0u);
  EXPECT_EQ(vd->QueuedBlocks(), 0);
  vd->RefuseWrites(false);
  EXPECT_EQ(waveOutWrite(device, &blocks[0].header, 32), 0u);
  EXPECT_EQ(waveOutReset(device), 0u);
  EXPECT_EQ(waveOutClose(device), 0u);

  vd->SetDeviceCount(0);
  EXPECT_EQ(waveOutGetNumDevs(), 0u);
  EXPECT_NE(waveOutOpen(&h, WAVE_MAPPER, &f, sink, 0, CALLBACK_WINDOW), 0u);
  EXPECT_NE(waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
}

TEST_F(VirtualDeviceTest, InstallingAgainStartsAFreshClockAndClosesTheDevice) {
  Open(Format(1, 11025));
  vd->Advance(100, Drain);
  VirtualDevice& again = VirtualDevice::Install(22050);
  EXPECT_FALSE(again.IsOpen());
  EXPECT_EQ(again.NowMs(), 0u);
  EXPECT_TRUE(again.Recording().empty());
  EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE) << "the old handle is gone";
  again.Advance(10, Drain);
  EXPECT_EQ(again.Recording().size(), 220u);
}

}  // namespace
