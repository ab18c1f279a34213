// SPDX-License-Identifier: MIT
// The story, driven by start_b: its caption is the state, each press plays the scene of the
// current caption and sets the caption leading on.
//
// The button sound comes first on every press; two scenes give it once more, and the finale
// starts the music.

#include "game/game_variables.h"
#include "game/stage_captions.h"
#include "game/unit1.h"

namespace brandel {

namespace {

struct StageRow {
  QString caption;
  void (TForm1::*scene)();
};

}  // namespace

void TForm1::start_bClick() {
  PlayButtonSound();
  static const StageRow kStageScript[] = {
      {QStringLiteral("２面へいく"), &TForm1::FishScene2},
      {QStringLiteral("３面へいく"), &TForm1::FishScene3},
      {QStringLiteral("４面へいく"), &TForm1::FishScene4},
      {QStringLiteral("５面へいく"), &TForm1::CallToBattle},
      {kFightCaption, &TForm1::StartBattle},
      {kSecondFishBattleCaption, &TForm1::StartBattle},
      {kNextStageCaption, &TForm1::StartDollStage},
      {kAllClearCaption, &TForm1::FinaleScene1},
      {QStringLiteral("いったい！？"), &TForm1::FinaleScene2},
      {QStringLiteral("その時！"), &TForm1::FinaleScene3},
      {QStringLiteral("・・・・"), &TForm1::FinaleScene4},
      {QStringLiteral("もう、やめて！！"), &TForm1::FinaleScene5},
      {QStringLiteral("！！"), &TForm1::StartEnding},
  };
  const QString caption = start_b->text();
  for (const StageRow& row : kStageScript) {
    if (caption == row.caption) {
      (this->*row.scene)();
      return;
    }
  }
  OpeningOrSkip();
}

// Any other caption: the title's starts the narration, the narration's skips it.
void TForm1::OpeningOrSkip() {
  if (!Timer3->isActive()) {
    StartNarration();
    start_b->setText(QStringLiteral("opを飛ばす"));
    return;
  }
  LoadGuarded(cg, "\\cg\\sakana0.bmp");
  Timer3->stop();
  Message("たいへんだ！\r街の中に超でっかい小魚が現れた！\rキョピーーーー！！！");
  PlayButtonSound();
  start_b->setText(QStringLiteral("２面へいく"));
}

void TForm1::FishScene2() {
  Message("キョピーーー！！！\rこのままでは人類が絶滅してしまう！");
  PlayButtonSound();
  LoadGuarded(cg, "\\cg\\sakana1.bmp");
  start_b->setText(QStringLiteral("３面へいく"));
}

void TForm1::FishScene3() {
  Message("小魚はほとばしる火を吐いた！");
  LoadGuarded(cg, "\\cg\\sakana2.bmp");
  start_b->setText(QStringLiteral("４面へいく"));
}

void TForm1::FishScene4() {
  LoadGuarded(cg, "\\cg\\sakana3.bmp");
  start_b->setText(QStringLiteral("５面へいく"));
}

void TForm1::CallToBattle() {
  Message("ドカーー！！！！！！");
  Message("人類の５分の１が消滅してしまった！");
  Message("今、あいつを倒さなくては！");
  start_b->setText(kFightCaption);
}

// Fish battle, or the doll battle once StageMark says so; the caption stays.
void TForm1::StartBattle() {
  LoadGuarded(cg, "\\cg\\fish_ba0.bmp");
  SetBattleButtons(true);
}

void TForm1::StartDollStage() {
  start_b->setText(kFightCaption);
  LoadUnguarded(cg, "\\cg\\doll0.bmp");
  Message("お人形をもらった！");
  SetBattleButtons(true);
}

void TForm1::FinaleScene1() {
  Message("ゴゴゴゴ・・・・！！");
  LoadGuarded(cg, "\\cg\\doll_sp0.bmp");
  Message("お人形が巨大化した！！");
  start_b->setText(QStringLiteral("いったい！？"));
}

void TForm1::FinaleScene2() {
  LoadGuarded(cg, "\\cg\\doll_sp1.bmp");
  Message("ビビビビーーー！お人形がレーザーを発射したぞ！");
  Message("このままじゃ街がめちゃくちゃに・・・・！！");
  start_b->setText(QStringLiteral("その時！"));
}

void TForm1::FinaleScene3() {
  LoadGuarded(cg, "\\cg\\doll_sp4.bmp");
  Message("ビビビビ！！！\rブランデルは街の人を守るために盾となった！");
  PlayMusic("1.mid");
  start_b->setText(QStringLiteral("・・・・"));
}

void TForm1::FinaleScene4() {
  LoadGuarded(cg, "\\cg\\doll_sp2.bmp");
  Message("やめて、お願い！！");
  start_b->setText(QStringLiteral("もう、やめて！！"));
}

void TForm1::FinaleScene5() {
  LoadGuarded(cg, "\\cg\\doll_sp3.bmp");
  start_b->setText(QStringLiteral("！！"));
}

// The story is over: only the credits and quit buttons still work.
void TForm1::StartEnding() {
  Game.FlipStep = 0;
  Timer2->start();
  start_b->setEnabled(false);
  Game.Experience = 0;
  kougeki->setEnabled(false);
  magic->setEnabled(false);
}

// The focus goes with the fight: to 攻撃 when it starts, back to the big button when it ends.
// Each is enabled before the other side is disabled, so that Qt never moves the focus on to a
// button the player did not mean.
void TForm1::SetBattleButtons(bool battling) {
  if (battling) {
    kougeki->setEnabled(true);
    magic->setEnabled(true);
    kougeki->setFocus();
    start_b->setEnabled(false);
  } else {
    start_b->setEnabled(true);
    start_b->setFocus();
    kougeki->setEnabled(false);
    magic->setEnabled(false);
  }
}

}  // namespace brandel
