// SPDX-License-Identifier: MIT
// The game's sounds side by side, as a player hears them: the finale's music, rendered by the
// synthesizer the game plays it with, loud enough beside the effects and never clipped; the
// effects with headroom, so that the mixer's 8-bit sum of the two never clips, however far
// apart they start.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "asset_files.h"
#include "platform/mci/midi_song.h"
#include "platform/mci/offline_render.h"
#include "wave_reader.h"
#include "wavemix/internal.h"

namespace {

double Dbfs(double share) {
  return 20 * std::log10(share);
}

WaveFile LoadWave(const std::string& name) {
  std::string error;
  auto wave = ParseWave(ReadWholeFile(BinPath(name)), error);
  if (!wave) ADD_FAILURE() << name << ": " << error;
  return wave.value_or(WaveFile{});
}

// The wave as the mixer holds it in `format`: how far its samples go above and below 128.
struct Excursion {
  int up = 0;
  int down = 0;
};
Excursion InMixerFormat(const WaveFile& wave, const wo::PCMWAVEFORMAT& format) {
  const wo::PCMWAVEFORMAT source{wave.formatTag,      wave.channels,   wave.samplesPerSec,
                                 wave.avgBytesPerSec, wave.blockAlign, wave.bitsPerSample};
  auto size = static_cast<std::uint32_t>(wave.data.size());
  auto* block = static_cast<std::uint8_t*>(std::malloc(size));
  std::memcpy(block, wave.data.data(), size);
  std::uint8_t* converted = wavemix::ConvertWaveFormat(format, source, block, size);
  Excursion excursion;
  for (std::uint32_t i = 0; i < size; ++i) {
    excursion.up = std::max(excursion.up, converted[i] - 128);
    excursion.down = std::max(excursion.down, 128 - converted[i]);
  }
  std::free(converted);
  return excursion;
}

}  // namespace

TEST(Levels, MusicAndEffectsSitTogetherWithoutClipping) {
  // The music, over the length of the song.
  std::optional<mci::MidiSong> song;
  ASSERT_EQ(mci::LoadMidiSong(BinPath("dat/1.mid"), &song), 0u);
  const double seconds = song->timing.LengthMilliseconds() / 1000.0;
  const mci::OfflineRender render = mci::RenderMidiOffline(BinPath("dat/1.mid"), seconds);
  ASSERT_EQ(render.error, 0u);
  double sum = 0;
  std::size_t clipped = 0;
  for (std::int16_t s : render.samples) {
    sum += double(s) * s;
    clipped += s == 32767 || s == -32768;
  }
  const double musicRms = Dbfs(std::sqrt(sum / double(render.samples.size())) / 32768);
  EXPECT_GE(musicRms, -21.0);
  EXPECT_LE(musicRms, -17.0);
  EXPECT_EQ(clipped, 0u) << "clipped samples in the music";

  // The effects: each with 3 dB of headroom.
  const WaveFile attack = LoadWave("1.wav");
  const WaveFile button = LoadWave("2.wav");
  EXPECT_LE(Dbfs(attack.Peak()), -3.0);
  EXPECT_LE(Dbfs(button.Peak()), -3.0);

  // Their sum in every output format the mixer offers: the mixer adds the two around 128 and
  // clips the total, so with their peaks lined up the excursions must fit in 8 bits together.
  for (std::uint16_t channels : {1, 2}) {
    for (std::uint32_t rate : {11025u, 22050u, 44100u}) {
      const auto align = static_cast<std::uint16_t>(channels);
      const wo::PCMWAVEFORMAT format{wo::WAVE_FORMAT_PCM, channels, rate, rate * align, align, 8};
      const Excursion a = InMixerFormat(attack, format);
      const Excursion b = InMixerFormat(button, format);
      EXPECT_LE(a.up + b.up, 127) << channels << " channels at " << rate;
      EXPECT_LE(a.down + b.down, 128) << channels << " channels at " << rate;
    }
  }
  std::printf("music %.1f dBFS RMS; attack peak %.1f dBFS, button peak %.1f dBFS\n", musicRms,
              Dbfs(attack.Peak()), Dbfs(button.Peak()));
}
