// SPDX-License-Identifier: MIT
// What a song sounds like, rendered without an audio device: the notes sound when the file
// says, and nothing sounds where it has none.
#include "platform/mci/offline_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/mci/midi_song.h"
#include "tests/music/smf_builder.h"
#include "tests/music/test_support.h"

namespace {

using mci::OfflineRender;
using mci::RenderMidiOffline;

// The synthesizer dithers: its silence measures about 0.5. A sounding piano note at
// velocity 100 measures in the hundreds.
constexpr double kSilence = 8;
constexpr double kSound = 50;

double Rms(const OfflineRender& render, double fromSeconds, double toSeconds) {
  const auto from = static_cast<std::size_t>(fromSeconds * render.sampleRate) * 2;
  const auto to =
      std::min(render.samples.size(), static_cast<std::size_t>(toSeconds * render.sampleRate) * 2);
  if (to <= from) return 0;
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(render.samples[i]) * render.samples[i];
  return std::sqrt(sum / double(to - from));
}

TEST(OfflineRender, NotesSoundWhenTheFileSaysAndNowhereElse) {
  music_test::TempFolder folder;
  const std::string path =
      folder.Write("song.mid", music_test::NotesSmf({{500, 200, 60}, {2000, 200, 67}}, 2400));
  const OfflineRender render = RenderMidiOffline(path, 4.0);
  ASSERT_EQ(render.error, 0u);
  ASSERT_EQ(render.samples.size(), static_cast<std::size_t>(4.0 * render.sampleRate) * 2);

  EXPECT_LT(Rms(render, 0.0, 0.48), kSilence) << "before the first note";
  EXPECT_GT(Rms(render, 0.52, 0.68), kSound) << "first note";
  EXPECT_LT(Rms(render, 1.5, 1.95), kSilence) << "between the notes";
  EXPECT_GT(Rms(render, 2.02, 2.18), kSound) << "second note";
  EXPECT_LT(Rms(render, 3.5, 4.0), kSilence) << "after the end";
}

TEST(OfflineRender, ReportsTheOpenErrors) {
  music_test::TempFolder folder;
  EXPECT_EQ(RenderMidiOffline(folder.Path("missing.mid"), 1.0).error, mci::MCIERR_FILE_NOT_FOUND);
  const std::string song = folder.Write("song.mid", music_test::NotesSmf({{0, 100, 60}}, 200));
  music_test::ScopedEnv env("BRANDEL_SOUNDFONT", folder.Path("none.sf2").c_str());
  const OfflineRender render = RenderMidiOffline(song, 1.0);
  EXPECT_EQ(render.error, mci::MCIERR_NO_SOUNDFONT);
  EXPECT_TRUE(render.samples.empty());
}

// The game's finale music, made by the project's generator, when the build has made it.
TEST(FinaleMusic, SoundsAtOnceAndLastsHalfAMinuteToAMinute) {
  const std::string path = std::string(BRANDEL_BIN_DIR) + "/dat/1.mid";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " has not been generated";

  std::optional<mci::MidiSong> song;
  ASSERT_EQ(mci::LoadMidiSong(path, &song), 0u);
  const double length = song->timing.LengthMilliseconds() / 1000.0;
  EXPECT_GE(length, 30.0);
  EXPECT_LE(length, 60.0);

  const OfflineRender render = RenderMidiOffline(path, length + 5.0);
  ASSERT_EQ(render.error, 0u);
  double firstSound = -1;
  for (double t = 0; t < 5.0 && firstSound < 0; t += 0.1) {
    if (Rms(render, t, t + 0.1) > kSound) firstSound = t;
  }
  EXPECT_GE(firstSound, 0.0) << "nothing sounds in the first five seconds";
  // Music throughout: no gap of five seconds of silence before the end.
  for (double t = 0; t + 5.0 <= length; t += 2.5) {
    EXPECT_GT(Rms(render, t, t + 5.0), kSilence) << "silent from " << t << " s";
  }
  EXPECT_LT(Rms(render, length + 4.0, length + 5.0), kSilence) << "still sounding after the end";
}

}  // namespace
