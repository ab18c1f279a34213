// The finale's music on FluidSynth's SDL driver over SDL's dummy device: the cue opens the
// music file of the dat folder and plays it in the background; closing the window stops it.
#include <QDir>
#include <cstdlib>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

TEST_F(GameTest, TheFinaleStartsItsMusicAndClosingTheWindowStopsIt) {
  setenv("BRANDEL_MUSIC_DRIVER", "sdl2", 1);
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
  EXPECT_EQ(form_->mid_p->FileName(), Folder() + "/dat/1.mid");
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
  unsetenv("BRANDEL_MUSIC_DRIVER");
}

}  // namespace
}  // namespace brandel::testing
