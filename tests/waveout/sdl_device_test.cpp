// SPDX-License-Identifier: MIT
// The SDL back end on SDL's dummy driver: a real-time thread that only consumes bytes.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/waveout/backend.h"
#include "platform/waveout/sdl_audio_start.h"
#include "realtime_support.h"

namespace {

using namespace wotest;

// Also when the binary is run by hand; ctest sets it as well.
const bool kDummyDriver = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

class SdlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kDummyDriver);
    backend = MakeSdlBackend();
    InstallBackend(backend.get());
    receiver = MakeReceiver();
  }
  void TearDown() override {
    InstallBackend(nullptr);  // closes what a failed test left open
    backend.reset();
    msg::ResetForTesting();
  }
  void Open(std::uint16_t channels, std::uint32_t rate) {
    const PCMWAVEFORMAT format = Format(channels, rate);
    ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
  }
  void Write(Block& b) {
    if (!(b.header.dwFlags & WHDR_PREPARED)) {
      ASSERT_EQ(waveOutPrepareHeader(device, &b.header, 32), 0u);
    }
    ASSERT_EQ(waveOutWrite(device, &b.header, 32), 0u);
  }
  // Waits, without draining, until the device has posted `count` messages.
  static bool PostedWithoutDraining() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!msg::HasPostedMessages()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  std::unique_ptr<Backend> backend;
  msg::HWND receiver = 0;
  HWAVEOUT device = nullptr;
};

TEST_F(SdlDeviceTest, TheDummyDriverIsOneDefaultDevice) {
  ASSERT_EQ(waveOutGetNumDevs(), 1u);
  WAVEOUTCAPS caps{};
  ASSERT_EQ(waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
  EXPECT_STREQ(caps.szPname, "System audio output device");
  EXPECT_EQ(caps.wChannels, 2);
  EXPECT_EQ(caps.dwSupport & WAVECAPS_SYNC, 0u);
  EXPECT_EQ(waveOutGetDevCaps(1, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  const PCMWAVEFORMAT format = Format(2, 44100);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &format, 0, 0, WAVE_FORMAT_QUERY), 0u);
}

TEST_F(SdlDeviceTest, BlocksComeBackAsMessagesOnTheDrainingThreadAndOnlyThenAreDone) {
  Open(1, 11025);
  Block a(1024, 1), b(1024, 2), c(1024, 3);
  for (Block* x : {&a, &b, &c}) Write(*x);
  // Let SDL's thread play them all without draining: nothing is marked done meanwhile.
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (PositionOf(device) < 3072 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(PositionOf(device), 3072u);
  EXPECT_FALSE(a.Done() || b.Done() || c.Done()) << "WHDR_DONE is set by the dispatch only";
  EXPECT_TRUE(msg::HasPostedMessages());

  ASSERT_TRUE(DrainUntil([] { return received.size() == 3; }));
  EXPECT_EQ(received[0].header, &a.header);
  EXPECT_EQ(received[1].header, &b.header);
  EXPECT_EQ(received[2].header, &c.header);
  for (const Received& r : received) {
    EXPECT_TRUE(r.doneFlag);
    EXPECT_EQ(r.thread, std::this_thread::get_id());
  }
  DrainFor(std::chrono::milliseconds(50));
  EXPECT_EQ(received.size(), 3u) << "one message per write";
  EXPECT_EQ(waveOutClose(device), 0u);
}

TEST_F(SdlDeviceTest, ThePositionAdvancesAndPauseHoldsIt) {
  Open(2, 22050);
  ASSERT_EQ(waveOutPause(device), 0u);
  Block blocks[4] = {{4096, 1}, {4096, 2}, {4096, 3}, {4096, 4}};  // about 0.37 s
  for (Block& x : blocks) Write(x);
  DrainFor(std::chrono::milliseconds(100));
  EXPECT_EQ(PositionOf(device), 0u) << "blocks written while paused wait for the restart";
  EXPECT_TRUE(received.empty());

  ASSERT_EQ(waveOutRestart(device), 0u);
  ASSERT_TRUE(DrainUntil([&] { return PositionOf(device) > 0; }));
  ASSERT_EQ(waveOutPause(device), 0u);
  // What the latest callback took (the device buffer: 512 frames, 23 ms) is taken but not
  // heard yet.
  WaveOutPositions both{};
  ASSERT_EQ(waveOutGetPositions(device, &both), 0u);
  EXPECT_GE(static_cast<std::int64_t>(both.consumed), both.audible);
  EXPECT_LE(static_cast<std::int64_t>(both.consumed) - both.audible, 2 * 512);
  // What SDL had already taken is still heard; then the position stands.
  std::uint32_t held = 0;
  ASSERT_TRUE(DrainUntil([&] {
    const std::uint32_t before = PositionOf(device);
    DrainFor(std::chrono::milliseconds(100));
    held = PositionOf(device);
    return held == before;
  }));
  const std::size_t returnedWhilePaused = received.size();
  DrainFor(std::chrono::milliseconds(150));
  EXPECT_EQ(PositionOf(device), held);
  EXPECT_EQ(received.size(), returnedWhilePaused);

  ASSERT_EQ(waveOutRestart(device), 0u);
  ASSERT_TRUE(DrainUntil([] { return received.size() == 4; }));
  ASSERT_TRUE(DrainUntil([&] { return PositionOf(device) == 4u * 4096u; }));
  EXPECT_EQ(waveOutClose(device), 0u);
}

TEST_F(SdlDeviceTest, ResetReturnsEveryBlockOnceAndRestartsThePosition) {
  Open(1, 11025);
  Block blocks[5] = {{2048, 1}, {2048, 2}, {2048, 3}, {2048, 4}, {2048, 5}};
  for (Block& x : blocks) Write(x);
  ASSERT_TRUE(DrainUntil([&] { return PositionOf(device) > 0; }));
  ASSERT_EQ(waveOutReset(device), 0u);
  for (Block& x : blocks) EXPECT_TRUE(x.Done());
  EXPECT_EQ(PositionOf(device), 0u);
  // The count of what is taken restarts; what SDL's buffer still plays lies before it.
  WaveOutPositions both{};
  ASSERT_EQ(waveOutGetPositions(device, &both), 0u);
  EXPECT_EQ(both.consumed, 0u);
  EXPECT_LE(both.audible, 0);
  EXPECT_GE(both.audible, -256);  // one device buffer, 23 ms
  EXPECT_EQ(waveOutClose(device), 0u) << "nothing queued after a reset";
  device = nullptr;
  // The device is closed: its messages are dropped with it, none reaches the receiver late.
  DrainFor(std::chrono::milliseconds(50));
  EXPECT_LE(received.size(), 5u);

  Open(1, 11025);
  for (Block& x : blocks) {
    x.header.dwFlags = 0;
    x.header.reserved = 0;
    Write(x);
  }
  ASSERT_EQ(waveOutReset(device), 0u);
  ASSERT_TRUE(DrainUntil([] { return received.size() == 5; }));
  DrainFor(std::chrono::milliseconds(100));
  EXPECT_EQ(received.size(), 5u) << "each write is returned exactly once";
  for (Block& x : blocks) EXPECT_TRUE(x.Done());
  EXPECT_EQ(waveOutClose(device), 0u);
}

TEST_F(SdlDeviceTest, AStaleDoneMessageDoesNotMarkABlockWrittenAgain) {
  Open(1, 11025);
  Block a(256, 1);
  Write(a);
  ASSERT_TRUE(PostedWithoutDraining()) << "SDL's thread finished the block";
  ASSERT_EQ(waveOutPause(device), 0u);
  ASSERT_EQ(waveOutReset(device), 0u);
  EXPECT_TRUE(a.Done());
  Write(a);  // held by the pause
  EXPECT_FALSE(a.Done());
  ASSERT_TRUE(DrainUntil([] { return received.size() == 1; }));
  EXPECT_FALSE(received[0].doneFlag);
  EXPECT_FALSE(a.Done()) << "the message of the earlier write must not mark this one";
  ASSERT_EQ(waveOutRestart(device), 0u);
  ASSERT_TRUE(DrainUntil([&] { return a.Done(); }));
  EXPECT_EQ(received.size(), 2u);
  EXPECT_TRUE(received[1].doneFlag);
  EXPECT_EQ(waveOutClose(device), 0u);
}

// Towards the system the stream is open only while there is something to play: it closes
// once run dry and opens again at the next write. Each block still comes back once, and the
// position stands while closed and goes on from there.
TEST_F(SdlDeviceTest, ADryStreamClosesAndTheNextWriteOpensItWhereItStood) {
  Open(1, 11025);
  EXPECT_FALSE(device->Streaming());
  Block a(2048, 1), b(2048, 2), c(1024, 3);
  Write(a);
  EXPECT_TRUE(device->Streaming());
  ASSERT_TRUE(DrainUntil([] { return received.size() == 1; }));
  ASSERT_TRUE(DrainUntil([&] { return !device->Streaming(); }));
  EXPECT_EQ(PositionOf(device), 2048u);
  DrainFor(std::chrono::milliseconds(100));
  EXPECT_EQ(PositionOf(device), 2048u) << "the position stands while closed";

  Write(b);
  Write(c);
  EXPECT_TRUE(device->Streaming());
  ASSERT_TRUE(DrainUntil([] { return received.size() == 3; }));
  EXPECT_TRUE(a.Done() && b.Done() && c.Done());
  ASSERT_TRUE(DrainUntil([&] { return PositionOf(device) == 5120u; }));
  ASSERT_TRUE(DrainUntil([&] { return !device->Streaming(); }));
  DrainFor(std::chrono::milliseconds(50));
  EXPECT_EQ(received.size(), 3u) << "one message a write";
  EXPECT_EQ(waveOutClose(device), 0u);
}

// SDL's disk driver writes what the device plays to a file, in real time: a stream kept
// fed from the block-done messages, as the mixer feeds it, comes out whole and unbroken, in
// signed 16-bit samples.
TEST(SdlDiskDevice, AStreamRefilledFromItsMessagesPlaysWithoutGaps) {
  const std::string raw = std::string(BRANDEL_BIN_DIR) + "/../tests/sdl-disk-output.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  std::unique_ptr<Backend> backend = MakeSdlBackend();
  InstallBackend(backend.get());
  const msg::HWND receiver = MakeReceiver();

  // 12 blocks' worth of a sequence that never repeats within a block; 6 blocks queued
  // (over a second of sound) leave the draining thread ample time to refill.
  constexpr std::size_t kBlock = 2048, kQueued = 6, kTotal = 12 * kBlock;
  std::vector<char> expected(kTotal);
  for (std::size_t i = 0; i < kTotal; ++i)
    expected[i] = static_cast<char>(1 + (i * 7 + i / 251) % 254);
  std::vector<Block> blocks;
  for (std::size_t i = 0; i < kQueued; ++i) blocks.emplace_back(kBlock, 0);
  HWAVEOUT device = nullptr;
  const PCMWAVEFORMAT format = Format(1, 11025);
  ASSERT_EQ(waveOutOpen(&device, 0, &format, receiver, 0, CALLBACK_WINDOW), 0u);
  std::size_t written = 0;
  auto refill = [&] {
    for (Block& b : blocks) {
      if (written == kTotal) return;
      if ((b.header.dwFlags & WHDR_PREPARED) && !b.Done()) continue;
      std::copy_n(expected.begin() + static_cast<long>(written), kBlock, b.data.begin());
      if (!(b.header.dwFlags & WHDR_PREPARED)) {
        ASSERT_EQ(waveOutPrepareHeader(device, &b.header, 32), 0u);
      }
      ASSERT_EQ(waveOutWrite(device, &b.header, 32), 0u);
      written += kBlock;
    }
  };
  refill();
  ASSERT_TRUE(DrainUntil([&] {
    refill();
    return received.size() == kTotal / kBlock;
  }));
  ASSERT_EQ(waveOutClose(device), 0u);
  InstallBackend(nullptr);
  backend.reset();
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  // SDL gets each byte b as the 16-bit sample (b - 128) * 256, silence as 0.
  std::vector<std::int16_t> wide(kTotal);
  for (std::size_t i = 0; i < kTotal; ++i)
    wide[i] = static_cast<std::int16_t>((static_cast<std::uint8_t>(expected[i]) - 128) * 256);
  const std::string samples(reinterpret_cast<const char*>(wide.data()), 2 * kTotal);
  std::ifstream in(raw, std::ios::binary);
  const std::string played((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t start = played.find(samples.substr(0, 128));
  ASSERT_NE(start, std::string::npos) << "the stream never started";
  ASSERT_GE(played.size(), start + samples.size());
  EXPECT_EQ(played.compare(start, samples.size(), samples), 0) << "a gap or a wrong sample";
  EXPECT_EQ(played.substr(0, start).find_first_not_of('\0'), std::string::npos)
      << "silence before the first block only";
  EXPECT_EQ(played.find_first_not_of('\0', start + samples.size()), std::string::npos)
      << "silence after the last block only";
  std::remove(raw.c_str());
}

// SDL leaves SIGINT, SIGTERM and SIGHUP to the program: with its own handlers Ctrl+C and a logout
// would only queue a quit event that nothing here reads.
TEST(SdlAudioStart, LeavesTheSignalsAlone) {
  ASSERT_TRUE(kDummyDriver);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
  ASSERT_TRUE(wo::StartSdlAudio());
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction now {};
    ASSERT_EQ(::sigaction(signal, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "SDL took signal " << signal;
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// A PipeWire socket left behind with nothing listening: the start falls back to SDL's usual
// drivers, still without the sound-server one when no such server can listen.
TEST(SdlAudioStart, AStalePipeWireSocketFallsBackToTheUsualDrivers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: the choice is made once
  char folder[] = "/tmp/sdl-start-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string socketPath = std::string(folder) + "/pipewire-0";
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);  // the file stays, nobody listens
  auto start = [&] {
    for (const char* name : {"SDL_AUDIODRIVER", "PULSE_SERVER", "PIPEWIRE_REMOTE"}) unsetenv(name);
    setenv("XDG_RUNTIME_DIR", folder, 1);
    const bool started = wo::StartSdlAudio();
    const char* hint = SDL_GetHint(SDL_HINT_AUDIODRIVER);
    const char* driver = started ? SDL_GetCurrentAudioDriver() : "";
    std::fprintf(stderr, "hint %s, driver %s\n", hint ? hint : "(none)", driver);
    const bool usual = hint != nullptr && std::strstr(hint, "pulseaudio") == nullptr &&
                       std::strcmp(hint, "pipewire") != 0 && std::strcmp(driver, "pipewire") != 0;
    std::exit(usual ? 0 : 1);
  };
  EXPECT_EXIT(start(), ::testing::ExitedWithCode(0), "hint [^ ]*alsa");
  std::remove(socketPath.c_str());
  ::rmdir(folder);
}

}  // namespace
