// SPDX-License-Identifier: MIT
// The whole story, clicked through headlessly with scripted boxes: every picture, caption, box
// and enabled button along the way, the battles with their flashes, and the record at the end.
#include <QFile>
#include <QTest>
#include <ostream>

#include "game/game_variables.h"
#include "game_fixture.h"

namespace brandel::testing {
namespace {

struct Scene {
  std::string picture;
  std::string caption;
  std::vector<std::string> boxes;
  bool start = true;
  bool attack = false;
  bool magic = false;

  bool operator==(const Scene&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Scene& s) {
  out << "{" << s.picture << ", " << s.caption << ", boxes:";
  for (const auto& box : s.boxes) out << " [" << box << "]";
  return out << ", start " << s.start << " attack " << s.attack << " magic " << s.magic << "}";
}

struct Sleep {
  int milliseconds;
  std::string picture;  // in cg while the thread sleeps
  bool painted;         // and already on screen
};

class Walkthrough : public GameTest {
 protected:
  void StartWith(const std::string& record, bool shippedPictures = false) {
    if (shippedPictures) {
      for (const std::string& name : AllPictureNames()) {
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(std::string(BRANDEL_BIN_DIR) + "/cg/" + name),
                        QString::fromStdString(PicturePath(name))))
            << name << " is not among the shipped pictures";
      }
    } else {
      WriteAllPictures();
    }
    WriteRecord(record);
    TForm1& form = Start();
    form.SetSleep([this](int ms) {
      sleeps_.push_back(
          {ms, ShownPicture(), form_->cg->PaintedKey() == form_->cg->Picture().cacheKey()});
    });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Timer1Timer();
    ASSERT_EQ(ShownPicture(), "title.bmp");
    ASSERT_TRUE(BoxTexts().empty());
  }

  Scene Now() {
    return {ShownPicture(),
            form_->start_b->text().toStdString(),
            BoxTexts(),
            form_->start_b->isEnabled(),
            form_->kougeki->isEnabled(),
            form_->magic->isEnabled()};
  }

  Scene Press(QPushButton* button) {
    button->click();
    return Now();
  }

  // One command press in mid-battle: one flash of 100 ms, painted before the sleep, then rest.
  void Command(QPushButton* button, const std::string& flash, const std::string& resting,
               const std::vector<std::string>& boxes) {
    sleeps_.clear();
    button->click();
    ASSERT_EQ(sleeps_.size(), 1u);
    EXPECT_EQ(sleeps_[0].milliseconds, 100);
    EXPECT_EQ(sleeps_[0].picture, flash);
    EXPECT_TRUE(sleeps_[0].painted) << "the flash was not on screen during the sleep";
    if (!resting.empty()) {
      EXPECT_EQ(ShownPicture(), resting);
    }
    EXPECT_EQ(BoxTexts(), boxes);
  }

  // A fish battle fought attack first: the 25th attack cannot win before the 25th magic, and
  // the 25th magic never wins by itself; the next attack does.
  void FishBattleAttackFirst(const std::vector<std::string>& winBoxes) {
    for (int press = 1; press <= 25; ++press) {
      Command(form_->kougeki, "fish_ba1.bmp", "fish_ba0.bmp",
              press == 15 ? std::vector<std::string>{"強い！強すぎる！？"}
                          : std::vector<std::string>{});
    }
    for (int press = 1; press <= 25; ++press) {
      Command(form_->magic, "fish_ba2.bmp", "fish_ba0.bmp",
              press == 15 ? std::vector<std::string>{"がんばれ！後もう少し！敵は弱っている！"}
                          : std::vector<std::string>{});
    }
    EXPECT_TRUE(form_->kougeki->isEnabled());
    Command(form_->kougeki, "fish_ba1.bmp", "", winBoxes);
  }

  void FishBattleMagicFirst(const std::vector<std::string>& winBoxes) {
    for (int press = 1; press <= 25; ++press) {
      Command(form_->magic, "fish_ba2.bmp", "fish_ba0.bmp",
              press == 15 ? std::vector<std::string>{"がんばれ！後もう少し！敵は弱っている！"}
                          : std::vector<std::string>{});
    }
    for (int press = 1; press < 25; ++press) {
      Command(form_->kougeki, "fish_ba1.bmp", "fish_ba0.bmp",
              press == 15 ? std::vector<std::string>{"強い！強すぎる！？"}
                          : std::vector<std::string>{});
    }
    Command(form_->kougeki, "fish_ba1.bmp", "", winBoxes);
  }

  void WalkToFirstBattle() {
    EXPECT_EQ(Press(form_->start_b), (Scene{"title.bmp", "opを飛ばす", {}}));
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_TRUE(form_->Timer3->isActive());
    EXPECT_EQ(Press(form_->start_b),
              (Scene{"sakana0.bmp",
                     "２面へいく",
                     {"たいへんだ！\r街の中に超でっかい小魚が現れた！\rキョピーーーー！！！"}}));
    EXPECT_FALSE(form_->Timer3->isActive());
    EXPECT_EQ(Press(form_->start_b),
              (Scene{"sakana1.bmp",
                     "３面へいく",
                     {"キョピーーー！！！\rこのままでは人類が絶滅してしまう！"}}));
    EXPECT_EQ(Press(form_->start_b),
              (Scene{"sakana2.bmp", "４面へいく", {"小魚はほとばしる火を吐いた！"}}));
    EXPECT_EQ(Press(form_->start_b), (Scene{"sakana3.bmp", "５面へいく", {}}));
    EXPECT_EQ(Press(form_->start_b),
              (Scene{"sakana3.bmp",
                     "ネコFIGHT！！",
                     {"ドカーー！！！！！！", "人類の５分の１が消滅してしまった！",
                      "今、あいつを倒さなくては！"}}));
    EXPECT_EQ(Press(form_->start_b),
              (Scene{"fish_ba0.bmp", "ネコFIGHT！！", {}, false, true, true}));
  }

  std::vector<Sleep> sleeps_;
};

const std::vector<std::string> kFishWon = {"小魚を倒しました", "経験値を５０取得した！"};
const std::vector<std::string> kFishWonLevelUp = {"小魚を倒しました", "経験値を５０取得した！",
                                                  "レベルアップしました！", "小魚を食べました"};

TEST_F(Walkthrough, FromTitleToEndingWithTwoFishBattlesFromExperienceZero) {
  StartWith("walk\r\n0\r\n0\r\n3\r\n4\r\n");
  WalkToFirstBattle();

  FishBattleAttackFirst(kFishWon);
  EXPECT_EQ(Now(), (Scene{"fish_ba3.bmp", "ＳＴＡＧＥ２！！", {}, true, false, false}));
  EXPECT_EQ(Game.Experience, 50);
  EXPECT_EQ(Game.StageMark, 0);

  EXPECT_EQ(Press(form_->start_b),
            (Scene{"fish_ba0.bmp", "ＳＴＡＧＥ２！！", {}, false, true, true}));
  FishBattleMagicFirst(kFishWonLevelUp);
  EXPECT_EQ(Now(), (Scene{"fish_ba4.bmp", "ＮＥＸＴ ＳＴＡＧＥ！！", {}, true, false, false}));
  EXPECT_EQ(Game.Experience, 100);
  EXPECT_EQ(Game.StageMark, 100);

  EXPECT_EQ(Press(form_->start_b),
            (Scene{"doll0.bmp", "ネコFIGHT！！", {"お人形をもらった！"}, false, true, true}));
  for (int press = 1; press <= 25; ++press) {
    Command(
        form_->magic, "doll3.bmp", "doll1.bmp",
        press == 15
            ? std::vector<std::string>{"こいつとおまえはスタート地点がほんの少し違ってただけさ\r"
                                       "結局、全員違うゴールを目指す。はなから競争じゃないのさ\r"
                                       "やれると思えば、結構やれるもんだ。"}
            : std::vector<std::string>{});
    if (press == 25) break;
    Command(form_->kougeki, "doll2.bmp", "doll1.bmp",
            press == 15 ? std::vector<std::string>{"むっ、ただ者じゃない！"}
                        : std::vector<std::string>{});
  }
  Command(form_->kougeki, "doll2.bmp", "", {"お人形と仲良しになりました"});
  EXPECT_EQ(Now(), (Scene{"doll4.bmp", "オールクリア", {}, true, false, false}));
  EXPECT_EQ(Game.Experience, 100);

  EXPECT_EQ(
      Press(form_->start_b),
      (Scene{"doll_sp0.bmp", "いったい！？", {"ゴゴゴゴ・・・・！！", "お人形が巨大化した！！"}}));
  EXPECT_EQ(Press(form_->start_b), (Scene{"doll_sp1.bmp",
                                          "その時！",
                                          {"ビビビビーーー！お人形がレーザーを発射したぞ！",
                                           "このままじゃ街がめちゃくちゃに・・・・！！"}}));
  EXPECT_EQ(Press(form_->start_b),
            (Scene{"doll_sp4.bmp",
                   "・・・・",
                   {"ビビビビ！！！\rブランデルは街の人を守るために盾となった！"}}));
  EXPECT_EQ(Press(form_->start_b),
            (Scene{"doll_sp2.bmp", "もう、やめて！！", {"やめて、お願い！！"}}));
  EXPECT_EQ(Press(form_->start_b), (Scene{"doll_sp3.bmp", "！！", {}}));
  EXPECT_EQ(Press(form_->start_b), (Scene{"doll_sp3.bmp", "！！", {}, false, false, false}));
  EXPECT_TRUE(form_->Timer2->isActive());
  EXPECT_EQ(Game.Experience, 0);

  form_->Timer2Timer();
  EXPECT_EQ(ShownPicture(), "tuzuku.bmp");
  sleeps_.clear();
  for (QPushButton* button : {form_->start_b, form_->kougeki, form_->magic}) button->click();
  EXPECT_EQ(Now(), (Scene{"tuzuku.bmp", "！！", {}, false, false, false}));
  EXPECT_TRUE(sleeps_.empty());

  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "walk\r\n1\r\n0\r\n3\r\n4\r\n");
}

// The pictures that ship beside the program carry the whole story without one error box.
TEST_F(Walkthrough, ShippedPicturesCarryTheWholeStory) {
  StartWith("\r\n0\r\n0\r\n0\r\n0\r\n", true);
  form_->Timer1Timer();
  for (int scene = 0; scene < 40 && form_->start_b->isEnabled(); ++scene) {
    form_->start_b->click();
    for (int press = 0; press < 25 && form_->magic->isEnabled(); ++press) form_->magic->click();
    while (form_->kougeki->isEnabled()) form_->kougeki->click();
  }
  ASSERT_TRUE(form_->Timer2->isActive()) << "the story did not reach its end";
  form_->Timer2Timer();
  EXPECT_EQ(ShownPicture(), "tuzuku.bmp");
  for (const auto& box : Boxes())
    EXPECT_NE(box.kind, qtui::ScriptedDialogs::Kind::Error) << box.text;
}

TEST_F(Walkthrough, SavedExperienceOfFiftyMeansOneFishBattle) {
  StartWith("w\r\n1\r\n50\r\n0\r\n0\r\n");
  WalkToFirstBattle();
  FishBattleMagicFirst(kFishWonLevelUp);
  EXPECT_EQ(Now(), (Scene{"fish_ba4.bmp", "ＮＥＸＴ ＳＴＡＧＥ！！", {}, true, false, false}));
  EXPECT_EQ(Game.Experience, 100);
  EXPECT_EQ(Game.StageMark, 100);
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(Record(), "w\r\n2\r\n100\r\n0\r\n0\r\n");
}

TEST_F(Walkthrough, SavedExperienceOfHundredLevelsUpAtOnceAndKeepsCounting) {
  StartWith("w\r\n1\r\n100\r\n0\r\n0\r\n");
  WalkToFirstBattle();
  FishBattleAttackFirst(kFishWonLevelUp);
  EXPECT_EQ(Game.Experience, 150);
  // The doll battle leaves the experience alone.
  EXPECT_EQ(Press(form_->start_b),
            (Scene{"doll0.bmp", "ネコFIGHT！！", {"お人形をもらった！"}, false, true, true}));
  Command(form_->kougeki, "doll2.bmp", "doll1.bmp", {});
  EXPECT_EQ(Game.Experience, 150);
}

TEST_F(Walkthrough, SkippingTheNarrationAtOnceLeadsOn) {
  StartWith("s\r\n1\r\n0\r\n0\r\n0\r\n");
  form_->start_b->click();
  form_->Timer3Timer();
  EXPECT_EQ(Game.NarrationTick, 1);
  EXPECT_EQ(Press(form_->start_b),
            (Scene{"sakana0.bmp",
                   "２面へいく",
                   {"たいへんだ！\r街の中に超でっかい小魚が現れた！\rキョピーーーー！！！"}}));
  EXPECT_FALSE(form_->Timer3->isActive());
  EXPECT_FALSE(form_->Timer1->isActive());
}

TEST_F(Walkthrough, MissingGuardedPicturesAreIgnoredAndTheStoryGoesOn) {
  StartWith("g\r\n1\r\n0\r\n0\r\n0\r\n");
  for (const char* name : {"sakana0.bmp", "sakana1.bmp", "fish_ba3.bmp"}) {
    ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath(name))));
  }
  form_->start_b->click();
  EXPECT_EQ(Press(form_->start_b),
            (Scene{"title.bmp",
                   "２面へいく",
                   {"たいへんだ！\r街の中に超でっかい小魚が現れた！\rキョピーーーー！！！"}}));
  EXPECT_EQ(
      Press(form_->start_b),
      (Scene{
          "title.bmp", "３面へいく", {"キョピーーー！！！\rこのままでは人類が絶滅してしまう！"}}));
  for (int i = 0; i < 4; ++i) form_->start_b->click();
  BoxTexts();
  FishBattleAttackFirst(kFishWon);
  EXPECT_EQ(Now(), (Scene{"fish_ba0.bmp", "ＳＴＡＧＥ２！！", {}, true, false, false}));
}

TEST_F(Walkthrough, MissingUnguardedPicturesAreReportedOnceAndTheGameGoesOn) {
  StartWith("u\r\n1\r\n100\r\n0\r\n0\r\n");
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("doll0.bmp"))));
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PicturePath("doll2.bmp"))));
  WalkToFirstBattle();
  FishBattleMagicFirst(kFishWonLevelUp);

  form_->start_b->click();
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Error);
  EXPECT_NE(boxes[0].text.find("doll0.bmp"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[1].text, "お人形をもらった！");
  EXPECT_EQ(Now(), (Scene{"fish_ba4.bmp", "ネコFIGHT！！", {}, false, true, true}));

  // The attack flash is missing: one error box on the first press, none after; presses still count.
  sleeps_.clear();
  form_->kougeki->click();
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, qtui::ScriptedDialogs::Kind::Error);
  for (int press = 2; press <= 25; ++press) form_->kougeki->click();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"むっ、ただ者じゃない！"});
  EXPECT_EQ(Game.AttackCount, 25);
  EXPECT_EQ(ShownPicture(), "doll1.bmp");
}

}  // namespace
}  // namespace brandel::testing
