// SPDX-License-Identifier: MIT
// Everything that keeps a music device from opening, through the interface and through the
// media player control. No test here gets as far as an audio thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "music/media_player.h"
#include "platform/mci/mci.h"
#include "tests/fifo_guard.h"
#include "tests/music/smf_builder.h"
#include "tests/music/test_support.h"

namespace {

using namespace mci;
using music_test::NotesSmf;
using music_test::ScopedEnv;
using music_test::TempFolder;

std::string ErrorText(MCIERROR error) {
  char text[4096];
  return mciGetErrorString(error, text, sizeof text) ? text : "(none)";
}

MCIERROR OpenFile(const std::string& path, MCIDEVICEID* device = nullptr) {
  MCI_OPEN_PARMS params;
  params.lpstrElementName = path.c_str();
  const MCIERROR error = mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &params);
  if (device != nullptr) *device = params.wDeviceID;
  return error;
}

class OpenFailure : public ::testing::Test {
 protected:
  TempFolder folder;
  const std::string song = folder.Write("song.mid", NotesSmf({{100, 200, 60}}, 400));
};

TEST(MciErrorText, SaysWhatWentWrongInPlainWords) {
  EXPECT_EQ(ErrorText(MCIERR_FILE_NOT_FOUND), "The music file was not found or could not be read.");
  EXPECT_EQ(ErrorText(MCIERR_INVALID_FILE),
            "The music file is not a standard MIDI file that can be played.");
  EXPECT_EQ(ErrorText(MCIERR_NO_AUDIO_DEVICE),
            "No audio output device is available to play music.");
  EXPECT_EQ(ErrorText(MCIERR_NO_SOUNDFONT),
            "No General MIDI soundfont could be loaded to play music (install "
            "timgm6mb-soundfont, or name a soundfont in BRANDEL_SOUNDFONT).");

  char text[8] = "garbage";
  EXPECT_FALSE(mciGetErrorString(12345, text, sizeof text));
  EXPECT_STREQ(text, "");
  ASSERT_TRUE(mciGetErrorString(MCIERR_FILE_NOT_FOUND, text, sizeof text));
  EXPECT_STREQ(text, "The mus");  // cut to the buffer, still terminated
}

TEST_F(OpenFailure, RefusesFilesItCannotPlay) {
  const std::string notMidi = folder.Write("notes.mid", {'h', 'e', 'l', 'l', 'o', '\n'});
  const std::string wrongExtension = folder.Write("song.wav", NotesSmf({{100, 200, 60}}, 400));

  MCIDEVICEID device = 99;
  EXPECT_EQ(OpenFile(folder.Path("missing.mid"), &device), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(device, 0u);
  std::filesystem::create_directory(folder.Path("folder.mid"));
  EXPECT_EQ(OpenFile(folder.Path("folder.mid")), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenFile(notMidi), MCIERR_INVALID_FILE);
  EXPECT_EQ(OpenFile(wrongExtension), MCIERR_EXTENSION_NOT_FOUND);
}

TEST_F(OpenFailure, RefusesMalformedCommands) {
  MCI_OPEN_PARMS params;
  params.lpstrElementName = song.c_str();
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, nullptr),
            MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT, &params), MCIERR_MISSING_PARAMETER);
  params.lpstrDeviceType = "waveaudio";
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_TYPE, &params),
            MCIERR_INVALID_DEVICE_NAME);

  // A device that was never opened.
  MCI_STATUS_PARMS status;
  status.dwItem = MCI_STATUS_MODE;
  EXPECT_EQ(mciSendCommand(4242, MCI_STATUS, MCI_STATUS_ITEM, &status), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommand(4242, MCI_PLAY, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommand(4242, MCI_CLOSE, MCI_WAIT, nullptr), MCIERR_INVALID_DEVICE_ID);
}

// The user learns what failed and what to do in one line of our own, once; nothing of
// FluidSynth's, GLib's or ALSA's reaches stderr.
TEST_F(OpenFailure, WithoutASoundfontOneLineNamesIt) {
  const std::string tooShort = folder.Write("short.sf2", {'R', 'I', 'F', 'F'});
  // Passes FluidSynth's first look, then fails its loaders (one of which prints GLib criticals).
  const std::string damaged =
      folder.Write("damaged.sf2", {'R', 'I', 'F', 'F', 28,  0,   0,   0,   's', 'f', 'b', 'k',
                                   'L', 'I', 'S', 'T', 16,  0,   0,   0,   'g', 'a', 'r', 'b',
                                   'a', 'g', 'e', '!', 'g', 'a', 'r', 'b', 'a', 'g', 'e', '!'});
  for (const std::string& soundfont : {folder.Path("none.sf2"), tooShort, damaged}) {
    ScopedEnv env("BRANDEL_SOUNDFONT", soundfont.c_str());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenFile(song), MCIERR_NO_SOUNDFONT);
    EXPECT_EQ(OpenFile(song), MCIERR_NO_SOUNDFONT);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "music: cannot load the soundfont " + soundfont +
                  "; install timgm6mb-soundfont, or name a General MIDI .sf2 file in "
                  "BRANDEL_SOUNDFONT. The game plays on without music.\n");
  }
}

TEST_F(OpenFailure, FifoAsSongOrSoundfontFailsAtOnce) {
  test_support::FifoGuard fifos;
  ASSERT_TRUE(fifos.Make(folder.Path("fifo.mid")));
  ASSERT_TRUE(fifos.Make(folder.Path("fifo.sf2")));
  EXPECT_EQ(OpenFile(folder.Path("fifo.mid")), MCIERR_FILE_NOT_FOUND);
  ScopedEnv env("BRANDEL_SOUNDFONT", folder.Path("fifo.sf2").c_str());
  EXPECT_EQ(OpenFile(song), MCIERR_NO_SOUNDFONT);
  EXPECT_FALSE(fifos.Rescued()) << "an open waited on a FIFO";
}

TEST_F(OpenFailure, WithoutAnAudioDeviceOneLineNamesIt) {
  ScopedEnv output("WAVEMIX_OUTPUT", "sdl");
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-device");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(OpenFile(song), MCIERR_NO_AUDIO_DEVICE);
  EXPECT_EQ(OpenFile(song), MCIERR_NO_AUDIO_DEVICE);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed.rfind("music: no audio output through SDL: ", 0), 0u) << printed;
  EXPECT_NE(printed.find("WAVEMIX_OUTPUT=null"), std::string::npos) << printed;
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
}

TEST_F(OpenFailure, MediaPlayerRaisesWithTheTextAndStaysClosed) {
  TMediaPlayer player;
  player.SetFileName(folder.Path("dat\\1.mid"));
  try {
    player.Open();
    FAIL() << "Open of a missing file succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_STREQ(error.what(), "The music file was not found or could not be read.");
  }
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Error(), MCIERR_FILE_NOT_FOUND);

  ScopedEnv output("WAVEMIX_OUTPUT", "sdl");
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-device");
  player.SetFileName(song);
  try {
    player.Open();
    FAIL() << "Open without an audio device succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_STREQ(error.what(), "No audio output device is available to play music.");
  }
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Mode(), MCI_MODE_STOP);
}

TEST(MediaPlayer, PlayWithoutAnOpenDeviceRaisesBeforeAnyCommand) {
  TMediaPlayer player;
  player.SetFileName("/nonexistent/1.mid");
  EXPECT_THROW(player.Open(), EMCIDeviceError);
  ASSERT_EQ(player.Error(), MCIERR_FILE_NOT_FOUND);
  try {
    player.Play();
    FAIL() << "Play without a device succeeded";
  } catch (const EMCIDeviceError& error) {
    EXPECT_STREQ(error.what(), "The media player has no open device to play.");
  }
  EXPECT_EQ(player.Error(), MCIERR_FILE_NOT_FOUND);  // no command went out
}

}  // namespace
