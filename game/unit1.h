// SPDX-License-Identifier: MIT
// The game window Form1 (class TForm1): its controls by their layout names, its timers and the
// handlers bound to them. The handlers live in files by theme: unit1.cpp (window, start-up,
// shutdown, credits, quit, record), title_screens.cpp (title, narration, ending),
// stage_script.cpp (the start button's story), battle.cpp (attack and magic) and
// game_sound.cpp (the waves, the sound cues and the music).
#pragma once

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "game/game_files.h"
#include "music/media_player.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/picture_control.h"
#include "wavemix/twavemix.h"

namespace brandel {

// The task-bar text and the caption of every message and error box.
inline const QString kApplicationTitle = QStringLiteral("ブランデル２");

class TForm1 : public QWidget {
 public:
  // files name the assets (cg/, dat/, the waves) and the record. boxes shows the message,
  // confirmation and error boxes, owned by this window; without one the window uses real Qt
  // boxes. Sets up the mixer (a failure there leaves the constructor as EWaveMixError), then
  // runs FormCreate.
  explicit TForm1(GameFiles files, qtui::Dialogs* boxes = nullptr);
  // FormDestroy, then the mixer component goes, then the music player.
  ~TForm1() override;

  // Controls.
  qtui::PictureControl* cg;   // scene display, 150 x 100 pictures stretched to 300 x 200
  qtui::PictureControl* cg2;  // the flip animation's untouched copy, hidden beneath start_b
  QPushButton* kougeki;
  QPushButton* magic;
  QPushButton* BitBtn3;
  QPushButton* BitBtn4;
  QPushButton* start_b;
  QTimer* Timer1;  // title animation
  QTimer* Timer2;  // ending animation
  QTimer* Timer3;  // narration
  // Declared in the reverse of their destruction: the mixer goes before the music player.
  std::unique_ptr<TMediaPlayer> mid_p;  // hidden; plays the finale's music
  std::unique_ptr<TWaveMix> WaveMix1;

  // Handlers.
  void FormCreate();
  void FormClose();
  void FormDestroy();
  void BitBtn3Click();
  void BitBtn4Click();
  void LoadPlayRecord();
  void SavePlayRecord();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void start_bClick();
  void kougekiClick();
  void magicClick();

  // Sound and music (game_sound.cpp); every failure is swallowed.
  void PlayButtonSound();
  void PlayAttackSound();
  // Both of an attack or magic press, starting on the same sample.
  void PlayPressSounds();
  void PlayMusic(const std::string& name);

  // Quick effects start each sound at what is heard now (still queued behind its channel's
  // previous sound) instead of after the blocks already mixed; off as laid out.
  void SetQuickEffects(bool on) { quickEffects_ = on; }

  // The battle flash blocks the UI thread for this long; tests may watch the wait instead.
  void SetSleep(std::function<void(int milliseconds)> sleep) { sleep_ = std::move(sleep); }

  static const QString kCaption;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayOutControls();
  void SetUpSound();
  void OpenWaves();
  void FreeWaves();
  void Connect(QPushButton* button, void (TForm1::*handler)());
  void Connect(QTimer* timer, void (TForm1::*handler)());
  void Message(const char* text);
  std::string Asset(const char* name) const;

  // Picture loads. A guarded load ignores a failure; an unguarded one reports it in the error
  // box, once per file and run, and the handler goes on. Either way cg keeps its picture.
  bool LoadGuarded(qtui::PictureControl* control, const char* name);
  void LoadUnguarded(qtui::PictureControl* control, const char* name);
  void ReportOnce(const std::string& message, const std::string& path);
  // Tells screen readers what the picture just loaded into control shows.
  void DescribeScene(qtui::PictureControl* control, const char* name);

  // Title, narration and ending (title_screens.cpp).
  void FlipTick(const char* pictureName);
  void StartNarration();

  // Scenes of the stage script (stage_script.cpp), by the caption that leads to them.
  void OpeningOrSkip();
  void FishScene2();
  void FishScene3();
  void FishScene4();
  void CallToBattle();
  void StartBattle();
  void StartDollStage();
  void FinaleScene1();
  void FinaleScene2();
  void FinaleScene3();
  void FinaleScene4();
  void FinaleScene5();
  void StartEnding();
  void SetBattleButtons(bool battling);

  std::uint32_t EffectFlags() const;

  // Battle (battle.cpp).
  void Flash(const char* flashPicture, const char* restingPicture);
  void WinFishBattle();
  void WinDollBattle();

  GameFiles files_;
  std::unique_ptr<qtui::Dialogs> ownBoxes_;
  qtui::Dialogs* boxes_;
  std::function<void(int)> sleep_;
  std::set<std::string> reportedFiles_;
  bool recordUnread_ = false;  // the record was there at start but could not be read
  bool quickEffects_ = false;
  MixWave* AttackWave = nullptr;  // "1.wav"; null when it could not be opened
  MixWave* ButtonWave = nullptr;  // "2.wav"
  bool buttonHeld_ = false;       // a button sound waits for a request to release it
};

}  // namespace brandel
