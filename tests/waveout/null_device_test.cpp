// SPDX-License-Identifier: MIT
// The null device plays in real time and records what it plays to a WAV file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/waveout/backend.h"
#include "platform/waveout/wav_file_writer.h"
#include "realtime_support.h"

namespace {

using namespace wotest;

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

struct Wav {
  PCMWAVEFORMAT format{};
  std::vector<std::uint8_t> data;
};

// Parses the file the way a strict reader would; fails the test on any inconsistency.
Wav ReadWav(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Wav wav;
  EXPECT_GE(b.size(), 44u);
  if (b.size() < 44) return wav;
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(Get32(b, 4), b.size() - 8) << "RIFF size";
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Get32(b, 16), 16u);
  wav.format = {Get16(b, 20), Get16(b, 22), Get32(b, 24), Get32(b, 28), Get16(b, 32), Get16(b, 34)};
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  const std::uint32_t size = Get32(b, 40);
  EXPECT_EQ(44 + size + (size & 1), b.size()) << "data size";
  if (44 + size <= b.size()) wav.data.assign(b.begin() + 44, b.begin() + 44 + size);
  return wav;
}

// In this build's own folder, and the same in a death test's child, which starts afresh.
std::string TempPath(const char* name) {
  return std::string(BRANDEL_BIN_DIR) + "/../tests/" + name + ".wav";
}

class NullDeviceTest : public ::testing::Test {
 protected:
  void Install(const std::string& wavPath) {
    backend = MakeNullBackend(wavPath.c_str());
    InstallBackend(backend.get());
  }
  void TearDown() override {
    InstallBackend(nullptr);
    backend.reset();
    msg::ResetForTesting();
    if (!path.empty()) std::remove(path.c_str());
  }
  std::unique_ptr<Backend> backend;
  std::string path;
};

TEST_F(NullDeviceTest, PlaysBlocksInRealTimeAndRecordsThemToAValidWav) {
  path = TempPath("null-device");
  Install(path);
  const msg::HWND receiver = MakeReceiver();
  ASSERT_EQ(waveOutGetNumDevs(), 1u);
  WAVEOUTCAPS caps{};
  ASSERT_EQ(waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
  EXPECT_STREQ(caps.szPname, "Null wave output");

  HWAVEOUT device = nullptr;
  const PCMWAVEFORMAT format = Format(2, 22050);
  ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
  Block a(2048, 1), b(2048, 2);
  for (Block* x : {&a, &b}) {
    ASSERT_EQ(waveOutPrepareHeader(device, &x->header, 32), 0u);
    ASSERT_EQ(waveOutWrite(device, &x->header, 32), 0u);
  }
  ASSERT_TRUE(DrainUntil([&] { return received.size() == 2; })) << "blocks never came back";
  EXPECT_EQ(received[0].header, &a.header);
  EXPECT_EQ(received[1].header, &b.header);
  EXPECT_TRUE(received[0].doneFlag && received[1].doneFlag);
  EXPECT_EQ(received[0].thread, std::this_thread::get_id()) << "delivered on the draining thread";
  EXPECT_EQ(PositionOf(device), 4096u);
  DrainFor(std::chrono::milliseconds(30));  // some dry time after the blocks
  ASSERT_EQ(waveOutClose(device), 0u);

  const Wav wav = ReadWav(path);
  EXPECT_EQ(wav.format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(wav.format.nChannels, 2);
  EXPECT_EQ(wav.format.nSamplesPerSec, 22050u);
  EXPECT_EQ(wav.format.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(wav.format.nBlockAlign, 2);
  EXPECT_EQ(wav.format.wBitsPerSample, 8);
  // The blocks may start after a little silence (the device ran before the first write).
  std::size_t start = 0;
  while (start < wav.data.size() && wav.data[start] == 128) ++start;
  ASSERT_GE(wav.data.size(), start + 4096 + 1) << "both blocks and the dry time after them";
  for (std::size_t i = 0; i < 2048; ++i) {
    ASSERT_EQ(wav.data[start + i], static_cast<std::uint8_t>(a.data[i])) << i;
    ASSERT_EQ(wav.data[start + 2048 + i], static_cast<std::uint8_t>(b.data[i])) << i;
  }
  for (std::size_t i = start + 4096; i < wav.data.size(); ++i) ASSERT_EQ(wav.data[i], 128) << i;
}

TEST_F(NullDeviceTest, PauseHoldsTheBlocksAndResetReturnsThem) {
  Install("");
  const msg::HWND receiver = MakeReceiver();
  HWAVEOUT device = nullptr;
  const PCMWAVEFORMAT format = Format(1, 11025);
  ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
  ASSERT_EQ(waveOutPause(device), 0u);
  Block a(512, 1), b(512, 2);
  for (Block* x : {&a, &b}) {
    ASSERT_EQ(waveOutPrepareHeader(device, &x->header, 32), 0u);
    ASSERT_EQ(waveOutWrite(device, &x->header, 32), 0u);
  }
  DrainFor(std::chrono::milliseconds(100));
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(PositionOf(device), 0u);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);

  ASSERT_EQ(waveOutReset(device), 0u);
  EXPECT_TRUE(a.Done() && b.Done());
  ASSERT_TRUE(DrainUntil([&] { return received.size() == 2; }));
  ASSERT_EQ(waveOutRestart(device), 0u);
  ASSERT_EQ(waveOutWrite(device, &a.header, 32), 0u);
  ASSERT_TRUE(DrainUntil([&] { return a.Done(); }));
  EXPECT_EQ(PositionOf(device), 512u);
  EXPECT_EQ(waveOutClose(device), 0u);
}

TEST_F(NullDeviceTest, TheHeaderIsRightWhenTheProgramEndsWithTheDeviceOpen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts afresh, threads and all
  path = TempPath("null-exit");
  const std::string wavPath = path;
  EXPECT_EXIT(
      {
        InstallBackend(MakeNullBackend(wavPath.c_str()).release());
        const msg::HWND receiver = MakeReceiver();
        HWAVEOUT device = nullptr;
        const PCMWAVEFORMAT format = Format(1, 11025);
        if (waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW) != 0) std::_Exit(3);
        static Block a(1001, 5);
        waveOutPrepareHeader(device, &a.header, 32);
        waveOutWrite(device, &a.header, 32);
        if (!DrainUntil([] { return !received.empty(); })) std::_Exit(4);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  const Wav wav = ReadWav(path);
  EXPECT_EQ(wav.format.nSamplesPerSec, 11025u);
  std::size_t start = 0;
  while (start < wav.data.size() && wav.data[start] == 128) ++start;
  EXPECT_GE(wav.data.size(), start + 1001);
}

TEST_F(NullDeviceTest, AnUnwritablePathIsReportedAndTheDevicePlaysOn) {
  Install("/nonexistent-folder/out.wav");
  const msg::HWND receiver = MakeReceiver();
  HWAVEOUT device = nullptr;
  const PCMWAVEFORMAT format = Format(1, 11025);
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("/nonexistent-folder/out.wav"), std::string::npos) << err;
  Block a(256, 3);
  ASSERT_EQ(waveOutPrepareHeader(device, &a.header, 32), 0u);
  ASSERT_EQ(waveOutWrite(device, &a.header, 32), 0u);
  ASSERT_TRUE(DrainUntil([&] { return a.Done(); }));
  EXPECT_EQ(waveOutClose(device), 0u);
}

TEST_F(NullDeviceTest, ReopeningInTheSameFormatContinuesTheFileWithSilenceForTheGap) {
  path = TempPath("null-reopen");
  Install(path);
  const msg::HWND receiver = MakeReceiver();
  const PCMWAVEFORMAT format = Format(1, 11025);
  Block a(300, 1), b(300, 2);
  for (Block* x : {&a, &b}) {
    HWAVEOUT device = nullptr;
    ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
    ASSERT_EQ(waveOutPrepareHeader(device, &x->header, 32), 0u);
    ASSERT_EQ(waveOutWrite(device, &x->header, 32), 0u);
    ASSERT_TRUE(DrainUntil([&] { return x->Done(); }));
    ASSERT_EQ(waveOutUnprepareHeader(device, &x->header, 32), 0u);
    ASSERT_EQ(waveOutClose(device), 0u);
    DrainFor(std::chrono::milliseconds(20));
  }
  const Wav wav = ReadWav(path);
  std::size_t i = 0;
  while (i < wav.data.size() && wav.data[i] == 128) ++i;
  ASSERT_GE(wav.data.size(), i + 300);
  EXPECT_TRUE(std::equal(a.data.begin(), a.data.end(), wav.data.begin() + static_cast<long>(i),
                         [](char x, std::uint8_t y) { return static_cast<std::uint8_t>(x) == y; }));
  i += 300;
  const std::size_t gapStart = i;
  while (i < wav.data.size() && wav.data[i] == 128) ++i;
  EXPECT_GE(i - gapStart, 11025u * 20 / 1000) << "at least the 20 ms the device stayed closed";
  ASSERT_GE(wav.data.size(), i + 300);
  EXPECT_TRUE(std::equal(b.data.begin(), b.data.end(), wav.data.begin() + static_cast<long>(i),
                         [](char x, std::uint8_t y) { return static_cast<std::uint8_t>(x) == y; }));
}

// The RIFF sizes are 32-bit: a recording stops at the last whole frame its limit allows (4 GiB
// less the header; lowered here) and the file stays valid.
TEST(WavFileWriterLimit, StopsAtTheLastWholeFrameAndNeverWrapsTheHeader) {
  const std::string path = TempPath("writer-limit");
  const std::uint8_t bytes[7] = {1, 2, 3, 4, 5, 6, 7};
  for (const std::uint16_t channels : {1, 2}) {
    {
      WavFileWriter writer(path, 11);
      ASSERT_TRUE(writer.Begin(Format(channels, 11025)));
      writer.Append(bytes, 7);
      EXPECT_FALSE(writer.LimitReached());
      writer.Append(bytes, 7);
      EXPECT_TRUE(writer.LimitReached());
    }
    const Wav wav = ReadWav(path);
    EXPECT_EQ(wav.data.size(), channels == 1 ? 11u : 10u) << channels;
  }
  std::remove(path.c_str());
  const auto header = WaveFileHeader(Format(1, 11025), WavFileWriter::kMaxDataBytes);
  const std::vector<std::uint8_t> h(header.begin(), header.end());
  EXPECT_EQ(Get32(h, 4), 36 + WavFileWriter::kMaxDataBytes + 1) << "RIFF size with the pad byte";
}

}  // namespace
