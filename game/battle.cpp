// SPDX-License-Identifier: MIT
// The attack and magic commands. A battle has no hit points: it is won at an attack press once
// both commands have been used often enough.
#include "game/game_variables.h"
#include "game/stage_captions.h"
#include "game/unit1.h"

namespace brandel {

namespace {

constexpr int kMidBattlePress = 15;  // the press that shows the command's message
constexpr int kWinningPresses = 25;
constexpr int kExperiencePerFish = 50;
constexpr int kLevelUpExperience = 100;
constexpr int kFlashMilliseconds = 100;

}  // namespace

void TForm1::kougekiClick() {
  PlayPressSounds();
  if (Game.StageMark == kDollStage) {
    Flash("\\cg\\doll2.bmp", "\\cg\\doll1.bmp");
    Game.AttackCount += 1;
    if (Game.AttackCount == kMidBattlePress) Message("むっ、ただ者じゃない！");
    if (Game.AttackCount >= kWinningPresses && Game.MagicCount >= kWinningPresses) WinDollBattle();
  } else {
    Flash("\\cg\\fish_ba1.bmp", "\\cg\\fish_ba0.bmp");
    Game.AttackCount += 1;
    if (Game.AttackCount == kMidBattlePress) Message("強い！強すぎる！？");
    if (Game.AttackCount >= kWinningPresses && Game.MagicCount >= kWinningPresses) WinFishBattle();
  }
}

void TForm1::magicClick() {
  PlayPressSounds();
  if (Game.StageMark == kDollStage) {
    Flash("\\cg\\doll3.bmp", "\\cg\\doll1.bmp");
    Game.MagicCount += 1;
    if (Game.MagicCount == kMidBattlePress) {
      Message(
          "こいつとおまえはスタート地点がほんの少し違ってただけさ\r"
          "結局、全員違うゴールを目指す。はなから競争じゃないのさ\r"
          "やれると思えば、結構やれるもんだ。");
    }
  } else {
    Flash("\\cg\\fish_ba2.bmp", "\\cg\\fish_ba0.bmp");
    Game.MagicCount += 1;
    if (Game.MagicCount == kMidBattlePress) Message("がんばれ！後もう少し！敵は弱っている！");
  }
}

// The flash is painted at once: without the repaint it would be replaced before anyone saw it.
void TForm1::Flash(const char* flashPicture, const char* restingPicture) {
  LoadUnguarded(cg, flashPicture);
  repaint();
  sleep_(kFlashMilliseconds);
  LoadUnguarded(cg, restingPicture);
  repaint();
}

void TForm1::WinFishBattle() {
  LoadGuarded(cg, "\\cg\\fish_ba3.bmp");
  Message("小魚を倒しました");
  Message("経験値を５０取得した！");
  Game.Experience = CountUp(Game.Experience, kExperiencePerFish);
  Game.AttackCount = 0;
  Game.MagicCount = 0;
  SetBattleButtons(false);
  if (Game.Experience >= kLevelUpExperience) {
    Message("レベルアップしました！");
    LoadGuarded(cg, "\\cg\\fish_ba4.bmp");
    Message("小魚を食べました");
    start_b->setText(kNextStageCaption);
    Game.StageMark = kDollStage;
  } else {
    start_b->setText(kSecondFishBattleCaption);
  }
}

void TForm1::WinDollBattle() {
  LoadUnguarded(cg, "\\cg\\doll4.bmp");
  Message("お人形と仲良しになりました");
  Game.AttackCount = 0;
  Game.MagicCount = 0;
  SetBattleButtons(false);
  start_b->setText(kAllClearCaption);
}

}  // namespace brandel
