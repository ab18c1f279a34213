// SPDX-License-Identifier: MIT
// The game on real-time audio threads over SDL's dummy device: the mixer's blocks come back
// from SDL's thread and Qt's event loop hands them to the mixer; the finale's music plays on
// the SDL output, in the background, until the window closes.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "game/game_variables.h"
#include "game_fixture.h"
#include "platform/mci/music_volume.h"

namespace brandel::testing {
namespace {

TEST_F(GameTest, OnSdlTheEventLoopPumpsTheMixerFromTheAudioThread) {
  wo::VirtualDevice::Uninstall();  // back to WAVEMIX_OUTPUT, unset: SDL
  unsetenv("WAVEMIX_OUTPUT");
  WriteAllPictures();
  WriteRecord("r\r\n1\r\n0\r\n0\r\n0\r\n");
  // Several blocks long (0.9 s), so the pump must refill from the block-done messages.
  WriteWave(Folder() + "1.wav", std::vector<std::uint8_t>(100, 200));
  WriteWave(Folder() + "2.wav", std::vector<std::uint8_t>(10000, 200));
  Start();
  ASSERT_TRUE(form_->WaveMix1->Activated());
  form_->start_b->click();
  const MixSession* session = form_->WaveMix1->Session();
  // The press mixes the first blocks at once; the rest of the wave is mixed only when the
  // block-done messages from SDL's thread have been drained by the event loop.
  ASSERT_LT(session->mixPosition, 10000);
  QElapsedTimer clock;
  clock.start();
  while (session->mixPosition < 10000 && clock.elapsed() < 10000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_GE(session->mixPosition, 10000) << "the mixer was not pumped";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(GameTest, TheFinaleStartsItsMusicAndClosingTheWindowStopsIt) {
  WriteAllPictures();
  WriteRecord("m\r\n1\r\n100\r\n0\r\n0\r\n");
  QDir(folder_.path()).mkdir("dat");
  WriteFile(Folder() + "dat/1.mid", ReadFile(std::string(BRANDEL_BIN_DIR) + "/dat/1.mid"));
  Start();
  for (int press = 0; press < 200 && form_->start_b->text() != QStringLiteral("その時！");
       ++press) {
    QPushButton* next = form_->start_b->isEnabled()
                            ? form_->start_b
                            : (Game.MagicCount < 25 ? form_->magic : form_->kougeki);
    next->click();
    EXPECT_FALSE(form_->mid_p->IsOpen()) << "music before the finale";
  }
  ASSERT_EQ(form_->start_b->text(), QStringLiteral("その時！"));
  Boxes();
  form_->start_b->click();
  ASSERT_TRUE(form_->mid_p->IsOpen()) << "error " << form_->mid_p->Error();
  EXPECT_EQ(form_->mid_p->FileName(), Folder() + "dat/1.mid");
  EXPECT_EQ(form_->mid_p->Mode(), mci::MCI_MODE_PLAY);
  EXPECT_GT(form_->mid_p->Length(), 30000u);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Message);

  // Nothing stops the music while the story goes on.
  form_->start_b->click();
  EXPECT_EQ(form_->mid_p->Mode(), mci::MCI_MODE_PLAY);

  // The player goes with the window, after the mixer; its device is closed, so the interface
  // no longer knows it.
  const mci::MCIDEVICEID device = form_->mid_p->DeviceID();
  EXPECT_TRUE(form_->close());
  form_.reset();
  mci::MCI_STATUS_PARMS status;
  status.dwItem = mci::MCI_STATUS_MODE;
  EXPECT_NE(mci::mciSendCommand(device, mci::MCI_STATUS, mci::MCI_STATUS_ITEM, &status), 0u);
}

}  // namespace
}  // namespace brandel::testing

namespace brandel::testing {
namespace {

// The 16-bit samples of a WAV file's data chunk.
std::vector<std::int16_t> Samples(const std::string& path) {
  const std::string file = ReadFile(path);
  const std::size_t data = file.find("data");
  if (data == std::string::npos || file.size() < data + 8) return {};
  std::vector<std::int16_t> samples((file.size() - data - 8) / 2);
  std::memcpy(samples.data(), file.data() + data + 8, samples.size() * 2);
  return samples;
}

TEST_F(GameTest, TheMusicVolumeScalesTheSynthesizerAndMuteKeepsTheMusicRunning) {
  WriteAllPictures();
  WriteRecord("v\r\n1\r\n0\r\n0\r\n0\r\n");
  QDir(folder_.path()).mkdir("dat");
  WriteFile(Folder() + "dat/1.mid", ReadFile(std::string(BRANDEL_BIN_DIR) + "/dat/1.mid"));
  setenv("WAVEMIX_OUTPUT", ("null:" + Folder() + "heard.wav").c_str(), 1);
  Start();
  const std::string recording = Folder() + "heard.music.wav";
  const auto playFor = [&](int ms) {
    form_->PlayMusic("1.mid");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  };
  playFor(1200);
  form_->mid_p->Close();
  const std::vector<std::int16_t> full = Samples(recording);

  mci::SetMusicVolume(50);
  playFor(1200);
  form_->mid_p->Close();
  // The recording goes on from open to open.
  const std::vector<std::int16_t> both = Samples(recording);
  ASSERT_GT(both.size(), full.size());
  const std::vector<std::int16_t> half(both.begin() + static_cast<std::ptrdiff_t>(full.size()),
                                       both.end());
  // The output runs from the open, the music from the play a moment later: the two runs hold
  // the same music from some frame on. Found as the shift that fits best.
  const auto misfit = [&](std::size_t f, std::size_t h) {
    long sum = 0;
    for (std::size_t i = 0; i < 20000 && f + i < full.size() && h + i < half.size(); ++i) {
      sum += std::abs(2 * int{half[h + i]} - int{full[f + i]});
    }
    return sum;
  };
  // Roughly where each first note starts (half as loud in the second run), then the best fit
  // near there: the output may have run for a while before the music began.
  const auto loudFrom = [](const std::vector<std::int16_t>& samples, int level) {
    std::size_t i = 0;
    while (i < samples.size() && std::abs(int{samples[i]}) < level) ++i;
    return i & ~std::size_t{1};
  };
  std::size_t fullStart = loudFrom(full, 400);
  std::size_t halfStart = loudFrom(half, 200);
  const std::size_t halfNear = halfStart;
  for (std::size_t h = halfNear > 512 ? halfNear - 512 : 0; h < halfNear + 512; h += 2) {
    if (misfit(fullStart, h) < misfit(fullStart, halfStart)) halfStart = h;
  }
  const std::size_t common = std::min(full.size() - fullStart, half.size() - halfStart);
  ASSERT_GT(common, 44100u);  // half a second of stereo
  // The player hands its events to the synthesizer at the start of each 64-frame step, so a
  // note may fall a step apart from one run to the other: the levels are compared, not each
  // sample.
  double fullEnergy = 0;
  double halfEnergy = 0;
  for (std::size_t i = 0; i < common; ++i) {
    fullEnergy += static_cast<double>(full[fullStart + i]) * full[fullStart + i];
    halfEnergy += static_cast<double>(half[halfStart + i]) * half[halfStart + i];
  }
  ASSERT_GT(std::sqrt(fullEnergy / common), 1000) << "no music in the first second";
  EXPECT_NEAR(std::sqrt(halfEnergy / fullEnergy), 0.5, 0.02);

  // Muted while it plays, the music runs on silently: its position moves, its stream goes on.
  form_->PlayMusic("1.mid");
  playFor(300);
  mci::SetMusicVolume(0);
  const std::uint32_t mutedAt = form_->mid_p->Position();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 800) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_GE(form_->mid_p->Position(), mutedAt + 500);
  EXPECT_EQ(form_->mid_p->Mode(), mci::MCI_MODE_PLAY);
  form_->mid_p->Close();
  const std::vector<std::int16_t> muted = Samples(recording);
  ASSERT_GT(muted.size(), 88200u);
  const auto tail =
      std::max_element(muted.end() - 22050, muted.end(),
                       [](std::int16_t a, std::int16_t b) { return std::abs(a) < std::abs(b); });
  EXPECT_LE(std::abs(int{*tail}), 2) << "the last quarter second is silent";
  mci::SetMusicVolume(mci::kFullMusicVolume);
  unsetenv("WAVEMIX_OUTPUT");
}

}  // namespace
}  // namespace brandel::testing
