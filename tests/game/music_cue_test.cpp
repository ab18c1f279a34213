// SPDX-License-Identifier: MIT
// The finale's music cue when the music cannot play: the story goes on silently, no error box.
#include <QDir>
#include <cstdlib>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

class MusicCue : public GameTest {
 protected:
  void TearDown() override {
    GameTest::TearDown();
    unsetenv("BRANDEL_SOUNDFONT");
  }

  // Plays the story up to the press that starts the music, then makes it.
  void PressTheMusicCue() {
    WriteAllPictures();
    WriteRecord("m\r\n1\r\n100\r\n0\r\n0\r\n");
    Start();
    for (int press = 0; press < 200 && form_->start_b->text() != QStringLiteral("その時！");
         ++press) {
      QPushButton* next = form_->start_b->isEnabled()
                              ? form_->start_b
                              : (Game.MagicCount < 25 ? form_->magic : form_->kougeki);
      next->click();
    }
    ASSERT_EQ(form_->start_b->text(), QStringLiteral("その時！"));
    Boxes();
    form_->start_b->click();
  }

  void ExpectSilentFinale() {
    EXPECT_FALSE(form_->mid_p->IsOpen());
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Message);
    EXPECT_EQ(boxes[0].text, "ビビビビ！！！\rブランデルは街の人を守るために盾となった！");
    EXPECT_EQ(form_->start_b->text(), QStringLiteral("・・・・"));
    form_->start_b->click();
    EXPECT_EQ(form_->start_b->text(), QStringLiteral("もう、やめて！！"));
  }
};

TEST_F(MusicCue, MissingMusicFileLeavesTheFinaleSilent) {
  PressTheMusicCue();
  ExpectSilentFinale();
}

TEST_F(MusicCue, MissingSoundfontLeavesTheFinaleSilent) {
  QDir(folder_.path()).mkdir("dat");
  WriteFile(Folder() + "dat/1.mid", ReadFile(std::string(BRANDEL_BIN_DIR) + "/dat/1.mid"));
  setenv("BRANDEL_SOUNDFONT", (Folder() + "no-such.sf2").c_str(), 1);
  PressTheMusicCue();
  ExpectSilentFinale();
}

TEST_F(MusicCue, EmptyNameStartsNothing) {
  QDir(folder_.path()).mkdir("dat");
  WriteFile(Folder() + "dat/1.mid", ReadFile(std::string(BRANDEL_BIN_DIR) + "/dat/1.mid"));
  WriteRecord("m\r\n1\r\n0\r\n0\r\n0\r\n");
  Start().PlayMusic("");
  EXPECT_FALSE(form_->mid_p->IsOpen());
  EXPECT_TRUE(form_->mid_p->FileName().empty());
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace brandel::testing
