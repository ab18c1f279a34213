// SPDX-License-Identifier: MIT
// Where live music goes, chosen by WAVEMIX_OUTPUT as for the mixer, and how long the output is
// held: only while there is something to hear.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/mci/mci.h"
#include "platform/mci/midi_song.h"
#include "platform/mci/offline_render.h"
#include "platform/mci/synth_preload.h"
#include "tests/assets/wave_reader.h"
#include "tests/music/smf_builder.h"
#include "tests/music/test_support.h"

namespace {

using namespace mci;
using namespace std::chrono_literals;
using music_test::NotesSmf;
using music_test::PumpMessagesFor;
using music_test::PumpMessagesUntil;
using music_test::ScopedEnv;

class MusicOutput : public ::testing::Test {
 protected:
  MusicOutput() {
    msg::RegisterClass("MusicOutputTest", &NotifyProc);
    window_ = msg::CreateWindow("MusicOutputTest", 0);
    Ended() = false;
  }
  ~MusicOutput() override { msg::DestroyWindow(window_); }

  MCIDEVICEID Open(const std::string& path) {
    MCI_OPEN_PARMS params;
    params.lpstrElementName = path.c_str();
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &params), 0u);
    return params.wDeviceID;
  }
  void Play(MCIDEVICEID device) {
    Ended() = false;
    MCI_PLAY_PARMS params;
    params.dwCallback = window_;
    ASSERT_EQ(mciSendCommand(device, MCI_PLAY, MCI_NOTIFY, &params), 0u);
  }
  void SeekToStart(MCIDEVICEID device) {
    MCI_SEEK_PARMS params;
    ASSERT_EQ(mciSendCommand(device, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &params), 0u);
  }
  void Close(MCIDEVICEID device) {
    EXPECT_EQ(mciSendCommand(device, MCI_CLOSE, MCI_WAIT, nullptr), 0u);
  }
  static bool& Ended() {
    static bool ended = false;
    return ended;
  }

  music_test::TempFolder folder;
  // One piano note; the song ends at 600 ms.
  const std::string shortSong = folder.Write("short.mid", NotesSmf({{50, 300, 60}}, 600));
  const std::string longSong = folder.Write("long.mid", NotesSmf({{0, 100, 60}}, 30000));

 private:
  static msg::LRESULT NotifyProc(msg::HWND, msg::UINT message, msg::WPARAM wParam, msg::LPARAM) {
    if (message == MM_MCINOTIFY && wParam == MCI_NOTIFY_SUCCESSFUL) Ended() = true;
    return 0;
  }
  msg::HWND window_ = 0;
};

std::uintmax_t SizeOf(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

// Whether the file stops growing (the output that writes it has gone) within `limit`, while
// messages are drained.
bool StopsGrowing(const std::string& path, std::chrono::milliseconds limit) {
  std::uintmax_t last = SizeOf(path);
  int steady = 0;
  return PumpMessagesUntil(
      [&] {
        const std::uintmax_t now = SizeOf(path);
        steady = now == last ? steady + 1 : 0;
        last = now;
        return steady >= 60;  // 300 ms of 5 ms steps
      },
      limit);
}

// Whether something writes the file again (SDL's disk device starts it afresh).
bool IsWrittenAgain(const std::string& path) {
  std::uintmax_t last = SizeOf(path);
  int changes = 0;
  return PumpMessagesUntil(
      [&] {
        const std::uintmax_t now = SizeOf(path);
        changes += now != last;
        last = now;
        return changes >= 3;
      },
      2s);
}

// The loudness of 10 ms windows, from the first one that sounds.
std::vector<double> Envelope(const std::int16_t* samples, std::size_t count, double rate) {
  const auto window = static_cast<std::size_t>(rate / 100) * 2;
  std::vector<double> envelope;
  for (std::size_t at = 0; at + window <= count; at += window) {
    double sum = 0;
    for (std::size_t i = at; i < at + window; ++i) sum += double(samples[i]) * samples[i];
    const double rms = std::sqrt(sum / double(window));
    if (envelope.empty() && rms < 50) continue;
    envelope.push_back(rms);
  }
  return envelope;
}

TEST_F(MusicOutput, NullIsSilentRealTimeAndTouchesNoDevice) {
  ScopedEnv output("WAVEMIX_OUTPUT", "null");
  ScopedEnv disk("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", folder.Path("sdl.raw").c_str());
  PreloadSynthesizer();  // as the game does once its window is up
  const MCIDEVICEID device = Open(shortSong);
  const auto started = std::chrono::steady_clock::now();
  Play(device);
  ASSERT_TRUE(PumpMessagesUntil([] { return Ended(); }, 5s));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 550ms) << "faster than real time";
  Close(device);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("sdl.raw"))) << "SDL's device was opened";
}

TEST_F(MusicOutput, NullWithAFileRecordsTheNotesBesideTheMixersRecording) {
  const std::string finale = std::string(BRANDEL_BIN_DIR) + "/dat/1.mid";
  ScopedEnv output("WAVEMIX_OUTPUT", ("null:" + folder.Path("out.wav")).c_str());
  const MCIDEVICEID device = Open(finale);
  Play(device);
  PumpMessagesFor(3s);
  Close(device);

  std::string error;
  const std::optional<WaveFile> heard =
      ParseWave(music_test::ReadBytes(folder.Path("out.music.wav")), error);
  ASSERT_TRUE(heard) << error;
  EXPECT_FALSE(std::filesystem::exists(folder.Path("out.wav"))) << "the mixer's file is its own";
  EXPECT_EQ(heard->channels, 2);
  EXPECT_EQ(heard->bitsPerSample, 16);
  EXPECT_EQ(heard->samplesPerSec, 44100u);
  EXPECT_NEAR(heard->Seconds(), 3.0, 0.5) << "not recorded in real time";

  // The finale's notes: loud and soft where the synthesizer renders them so on its own.
  const OfflineRender expected = RenderMidiOffline(finale, 3.0);
  ASSERT_EQ(expected.error, 0u);
  const std::vector<double> want =
      Envelope(expected.samples.data(), expected.samples.size(), expected.sampleRate);
  const std::vector<double> got =
      Envelope(reinterpret_cast<const std::int16_t*>(heard->data.data()), heard->data.size() / 2,
               heard->samplesPerSec);
  ASSERT_GE(got.size(), 200u);
  ASSERT_GE(want.size(), 200u);
  for (std::size_t i = 0; i < 200; ++i) {
    EXPECT_NEAR(20 * std::log10(got[i] / want[i]), 0.0, 1.0) << "at " << i * 10 << " ms";
  }
}

// On SDL (its disk device writes what it is given) and on the recording null device: the
// output stops once the music has ended and died away, or at a seek, and comes back to play.
TEST_F(MusicOutput, IsLetGoWhenNothingIsLeftToHear) {
  const std::string raw = folder.Path("sdl.raw");
  ScopedEnv disk("SDL_AUDIODRIVER", "disk");
  ScopedEnv file("SDL_DISKAUDIOFILE", raw.c_str());
  const std::string recording = "null:" + folder.Path("rec.wav");
  for (const auto& [choice, written] : {std::pair<std::string, std::string>{"sdl", raw},
                                        {recording, folder.Path("rec.music.wav")}}) {
    SCOPED_TRACE(choice);
    ScopedEnv output("WAVEMIX_OUTPUT", choice.c_str());
    const MCIDEVICEID device = Open(shortSong);
    Play(device);
    ASSERT_TRUE(PumpMessagesUntil([] { return Ended(); }, 5s));
    EXPECT_TRUE(StopsGrowing(written, 3s)) << "the output runs on after the end";

    SeekToStart(device);
    Play(device);
    EXPECT_TRUE(IsWrittenAgain(written)) << "no output for the next play";
    ASSERT_TRUE(PumpMessagesUntil([] { return Ended(); }, 5s));
    Close(device);

    const MCIDEVICEID other = Open(longSong);
    Play(other);
    EXPECT_TRUE(IsWrittenAgain(written));
    SeekToStart(other);
    EXPECT_TRUE(StopsGrowing(written, 1s)) << "the output runs on after a seek";
    Close(other);
  }
}

}  // namespace
