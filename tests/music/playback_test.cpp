// SPDX-License-Identifier: MIT
// Live playback on a real-time audio thread (the SDL output on SDL's dummy device, which
// consumes audio at the real rate): the interface's commands and notifications, and
// the media player control the game drives.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "music/media_player.h"
#include "platform/mci/mci.h"
#include "tests/music/smf_builder.h"
#include "tests/music/test_support.h"

namespace {

using namespace mci;
using namespace std::chrono_literals;
using music_test::NotesSmf;
using music_test::PumpMessagesFor;
using music_test::PumpMessagesUntil;

// Records the MM_MCINOTIFY messages a window receives.
class NotifyRecorder {
 public:
  NotifyRecorder() {
    msg::RegisterClass("MusicTestNotify", &Proc);
    window_ = msg::CreateWindow("MusicTestNotify", 0);
    Received().clear();
  }
  ~NotifyRecorder() { msg::DestroyWindow(window_); }
  msg::HWND Window() const { return window_; }
  struct Notice {
    msg::WPARAM result;
    MCIDEVICEID device;
    bool operator==(const Notice&) const = default;
  };
  static std::vector<Notice>& Received() {
    static std::vector<Notice> received;
    return received;
  }

 private:
  static msg::LRESULT Proc(msg::HWND, msg::UINT message, msg::WPARAM wParam, msg::LPARAM lParam) {
    if (message == MM_MCINOTIFY) Received().push_back({wParam, static_cast<MCIDEVICEID>(lParam)});
    return 0;
  }
  msg::HWND window_ = 0;
};

void PrintTo(const NotifyRecorder::Notice& n, std::ostream* os) {
  *os << "{result " << n.result << ", device " << n.device << "}";
}

class Playback : public ::testing::Test {
 protected:
  music_test::ScopedEnv output{"WAVEMIX_OUTPUT", "sdl"};
  music_test::ScopedEnv sdlDevice{"SDL_AUDIODRIVER", "dummy"};
  music_test::TempFolder folder;
  NotifyRecorder notify;

  // One piano note; the song ends at 600 ms.
  const std::string shortSong = folder.Write("short.mid", NotesSmf({{50, 300, 60}}, 600));
  // Long enough never to end during a test.
  const std::string longSong = folder.Write("long.mid", NotesSmf({{0, 100, 60}}, 30000));

  MCIDEVICEID Open(const std::string& path) {
    MCI_OPEN_PARMS params;
    params.lpstrElementName = path.c_str();
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &params), 0u);
    return params.wDeviceID;
  }
  MCIERROR Play(MCIDEVICEID device, msg::HWND notifyWindow) {
    MCI_PLAY_PARMS params;
    params.dwCallback = notifyWindow;
    return mciSendCommand(device, MCI_PLAY, notifyWindow != 0 ? MCI_NOTIFY : 0, &params);
  }
  std::uintptr_t Status(MCIDEVICEID device, std::uint32_t item) {
    MCI_STATUS_PARMS params;
    params.dwItem = item;
    EXPECT_EQ(mciSendCommand(device, MCI_STATUS, MCI_STATUS_ITEM, &params), 0u);
    return params.dwReturn;
  }
  MCIERROR Close(MCIDEVICEID device) {
    return mciSendCommand(device, MCI_CLOSE, MCI_WAIT, nullptr);
  }
  bool PositionPasses(MCIDEVICEID device, std::uint32_t milliseconds) {
    return PumpMessagesUntil([&] { return Status(device, MCI_STATUS_POSITION) > milliseconds; },
                             5s);
  }
};

using Notice = NotifyRecorder::Notice;

TEST_F(Playback, PlaysOnceInTheBackgroundAndNotifiesAtTheEnd) {
  const MCIDEVICEID device = Open(shortSong);
  ASSERT_NE(device, 0u);
  EXPECT_EQ(Status(device, MCI_STATUS_LENGTH), 600u);
  EXPECT_EQ(Status(device, MCI_STATUS_POSITION), 0u);
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_STOP);

  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 300ms) << "play must not wait";
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_PLAY);

  ASSERT_TRUE(PumpMessagesUntil([] { return !NotifyRecorder::Received().empty(); }, 5s));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 550ms) << "ended before the music did";
  EXPECT_EQ(NotifyRecorder::Received(), (std::vector<Notice>{{MCI_NOTIFY_SUCCESSFUL, device}}));
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_STOP);
  EXPECT_EQ(Status(device, MCI_STATUS_POSITION), 600u);

  // Once: it does not start again by itself, and playing at the end is over at once.
  PumpMessagesFor(300ms);
  EXPECT_EQ(NotifyRecorder::Received().size(), 1u);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_STOP);
  PumpMessagesFor(50ms);
  EXPECT_EQ(NotifyRecorder::Received().size(), 2u);
  EXPECT_EQ(Close(device), 0u);
}

TEST_F(Playback, TheAudioDeviceReceivesTheNotesAndNothingAfterClose) {
  // SDL's disk device records what it is given: 16-bit stereo, as the output asks.
  const std::string recording = folder.Path("out.raw");
  music_test::ScopedEnv disk("SDL_AUDIODRIVER", "disk");
  music_test::ScopedEnv file("SDL_DISKAUDIOFILE", recording.c_str());
  const MCIDEVICEID device = Open(shortSong);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  ASSERT_TRUE(PumpMessagesUntil([] { return !NotifyRecorder::Received().empty(); }, 5s));
  ASSERT_EQ(Close(device), 0u);

  const auto closedSize = std::filesystem::file_size(recording);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(std::filesystem::file_size(recording), closedSize);

  std::vector<std::int16_t> samples(closedSize / 2);
  std::ifstream(recording, std::ios::binary)
      .read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(closedSize));
  double loudest = 0;
  constexpr std::size_t kWindow = 2 * 441;  // 10 ms
  for (std::size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
    double sum = 0;
    for (std::size_t i = at; i < at + kWindow; ++i) sum += double(samples[i]) * samples[i];
    loudest = std::max(loudest, std::sqrt(sum / kWindow));
  }
  EXPECT_GT(loudest, 50.0) << "the note never reached the device";
}

TEST_F(Playback, CloseStopsTheMusicAndAbortsItsNotice) {
  const MCIDEVICEID device = Open(shortSong);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  ASSERT_TRUE(PositionPasses(device, 100));
  ASSERT_EQ(Close(device), 0u);

  MCI_STATUS_PARMS status;
  status.dwItem = MCI_STATUS_MODE;
  EXPECT_EQ(mciSendCommand(device, MCI_STATUS, MCI_STATUS_ITEM, &status), MCIERR_INVALID_DEVICE_ID);
  // Past the song's end: the only notice is the abort.
  PumpMessagesFor(1000ms);
  EXPECT_EQ(NotifyRecorder::Received(), (std::vector<Notice>{{MCI_NOTIFY_ABORTED, device}}));
}

TEST_F(Playback, SeekToStartStopsAndTheNextPlayStartsOver) {
  const MCIDEVICEID device = Open(shortSong);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  ASSERT_TRUE(PositionPasses(device, 200));

  MCI_SEEK_PARMS seek;
  ASSERT_EQ(mciSendCommand(device, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &seek), 0u);
  EXPECT_EQ(Status(device, MCI_STATUS_POSITION), 0u);
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_STOP);
  PumpMessagesFor(600ms);  // the stopped run never reports an end
  EXPECT_EQ(NotifyRecorder::Received(), (std::vector<Notice>{{MCI_NOTIFY_ABORTED, device}}));

  ASSERT_EQ(Play(device, notify.Window()), 0u);
  ASSERT_TRUE(PumpMessagesUntil([] { return NotifyRecorder::Received().size() == 2; }, 5s));
  EXPECT_EQ(NotifyRecorder::Received().back(), (Notice{MCI_NOTIFY_SUCCESSFUL, device}));
  EXPECT_EQ(Close(device), 0u);
}

TEST_F(Playback, AnEndPostedBeforeARewindIsNotTakenForTheNewRun) {
  const MCIDEVICEID device = Open(shortSong);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  // Let the run end without draining messages: its end notice stays queued.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (Status(device, MCI_STATUS_MODE) == MCI_MODE_PLAY &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  ASSERT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_STOP);
  std::this_thread::sleep_for(50ms);

  MCI_SEEK_PARMS seek;
  ASSERT_EQ(mciSendCommand(device, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &seek), 0u);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  PumpMessagesFor(100ms);
  EXPECT_EQ(NotifyRecorder::Received(), (std::vector<Notice>{{MCI_NOTIFY_ABORTED, device}}))
      << "the first run's end was reported as the second's";
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_PLAY);
  EXPECT_EQ(Close(device), 0u);
}

TEST_F(Playback, ALaterPlaySupersedesTheWaitingNotice) {
  NotifyRecorder second;
  const MCIDEVICEID device = Open(longSong);
  ASSERT_EQ(Play(device, notify.Window()), 0u);
  ASSERT_EQ(Play(device, second.Window()), 0u);  // goes on playing
  EXPECT_EQ(Status(device, MCI_STATUS_MODE), MCI_MODE_PLAY);
  ASSERT_TRUE(PumpMessagesUntil([] { return !NotifyRecorder::Received().empty(); }, 1s));
  EXPECT_EQ(NotifyRecorder::Received(), (std::vector<Notice>{{MCI_NOTIFY_SUPERSEDED, device}}));
  EXPECT_EQ(Close(device), 0u);
}

// ---- The media player control ----------------------------------------------------------

class MediaPlayerPlayback : public Playback {
 protected:
  void SetUp() override {
    player.OnNotify = [this](TMediaPlayer& p) { notices.push_back(p.NotifyValue()); };
  }
  TMediaPlayer player;
  std::vector<msg::WPARAM> notices;
};

TEST_F(MediaPlayerPlayback, PlaysToTheEndOnceAndRewindsForTheNextPlay) {
  player.SetFileName(shortSong);
  player.Open();
  ASSERT_TRUE(player.IsOpen());
  EXPECT_EQ(player.Length(), 600u);
  player.Play();
  EXPECT_EQ(player.Error(), 0u);
  EXPECT_EQ(player.Mode(), MCI_MODE_PLAY);
  ASSERT_TRUE(PumpMessagesUntil([&] { return !notices.empty(); }, 5s));
  EXPECT_EQ(notices, (std::vector<msg::WPARAM>{MCI_NOTIFY_SUCCESSFUL}));
  EXPECT_EQ(player.Position(), player.Length());

  player.Play();  // at the end: AutoRewind starts it over
  EXPECT_EQ(player.Mode(), MCI_MODE_PLAY);
  ASSERT_TRUE(PumpMessagesUntil([&] { return notices.size() == 2; }, 5s));
  EXPECT_EQ(notices.back(), MCI_NOTIFY_SUCCESSFUL);

  player.SetAutoRewind(false);
  player.Play();  // stays at the end
  EXPECT_EQ(player.Mode(), MCI_MODE_STOP);
  EXPECT_EQ(player.Position(), player.Length());
}

TEST_F(MediaPlayerPlayback, ASecondOpenClosesTheFirstDeviceAndStartsOver) {
  player.SetFileName(longSong);
  player.Open();
  const MCIDEVICEID first = player.DeviceID();
  player.Play();
  ASSERT_TRUE(PumpMessagesUntil([&] { return player.Position() > 100; }, 5s));

  player.Open();
  EXPECT_NE(player.DeviceID(), first);
  EXPECT_EQ(player.Position(), 0u);
  EXPECT_EQ(player.Mode(), MCI_MODE_STOP);
  EXPECT_EQ(mciSendCommand(first, MCI_PLAY, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
  player.Play();
  EXPECT_EQ(player.Mode(), MCI_MODE_PLAY);
}

TEST_F(MediaPlayerPlayback, CloseAndDestructionStopTheMusic) {
  player.SetFileName(shortSong);
  player.Open();
  player.Play();
  player.Close();
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Mode(), MCI_MODE_STOP);
  EXPECT_THROW(player.Play(), EMCIDeviceError);

  MCIDEVICEID device = 0;
  {
    TMediaPlayer other;
    other.SetFileName(longSong);
    other.Open();
    other.Play();
    device = other.DeviceID();
    ASSERT_EQ(mciSendCommand(device, MCI_PLAY, 0, nullptr), 0u);
  }
  EXPECT_EQ(mciSendCommand(device, MCI_PLAY, 0, nullptr), MCIERR_INVALID_DEVICE_ID);

  PumpMessagesFor(1000ms);  // past the short song's end: it never finished
  for (msg::WPARAM notice : notices) EXPECT_NE(notice, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(MediaPlayerPlayback, AFailedPlayKeepsItsCodeAndRaisesNothing) {
  player.SetFileName(shortSong);
  player.Open();
  player.Play();
  ASSERT_TRUE(PumpMessagesUntil([&] { return !notices.empty(); }, 5s));
  // The rewind makes a new output, and now there is none to be had.
  music_test::ScopedEnv noDevice("SDL_AUDIODRIVER", "no-such-device");
  EXPECT_NO_THROW(player.Play());
  EXPECT_EQ(player.Error(), MCIERR_NO_AUDIO_DEVICE);
  EXPECT_TRUE(player.IsOpen());
  EXPECT_EQ(player.Mode(), MCI_MODE_STOP);
}

TEST_F(MediaPlayerPlayback, AFailedOpenLeavesNoDeviceBehind) {
  player.SetFileName(shortSong);
  player.Open();
  const MCIDEVICEID first = player.DeviceID();
  player.SetFileName(folder.Path("gone.mid"));
  EXPECT_THROW(player.Open(), EMCIDeviceError);
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(mciSendCommand(first, MCI_PLAY, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MediaPlayerPlayback, ReadsBackslashesAsSeparators) {
  std::filesystem::create_directory(folder.Path("dat"));
  std::filesystem::copy_file(shortSong, folder.Path("dat/1.mid"));
  player.SetFileName(folder.Path("") + "\\dat\\1.mid");
  player.Open();
  EXPECT_EQ(player.Length(), 600u);
}

}  // namespace
