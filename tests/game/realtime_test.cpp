// SPDX-License-Identifier: MIT
// The game on real-time audio threads over SDL's dummy device: the mixer's blocks come back
// from SDL's thread and Qt's event loop hands them to the mixer; the finale's music plays on
// the SDL output, in the background, until the window closes.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdlib>

#include "game/game_variables.h"
#include "game_fixture.h"

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
