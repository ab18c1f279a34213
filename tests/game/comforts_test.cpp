// SPDX-License-Identifier: MIT
// The context menu of the player's comforts: its items, what they change in the game (mixer,
// music, quick effects), what they save, and that the window gains no control.
#include "game/comforts.h"

#include <QCoreApplication>
#include <QMenuBar>

#include "game_fixture.h"
#include "platform/mci/music_volume.h"
#include "wavemix/internal.h"

namespace brandel::testing {
namespace {

QAction* Item(QMenu* menu, const QString& text) {
  for (QAction* action : menu->actions()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

// The window's own controls: child widgets that are not windows of their own.
QList<QWidget*> Controls(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow()) controls << child;
  }
  return controls;
}

QStringList Labels(QMenu* menu) {
  QStringList labels;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) labels << action->text();
  }
  return labels;
}

TEST_F(GameTest, TheContextMenuSetsTheLevelsAndKeepsThemWithoutANewControl) {
  WriteAllPictures();
  WriteRecord("menu\r\n1\r\n0\r\n0\r\n0\r\n");
  WriteWave(Folder() + "1.wav", std::vector<std::uint8_t>(3000, 200));
  WriteWave(Folder() + "2.wav", std::vector<std::uint8_t>(3000, 180));
  TForm1& form = Start();
  const QList<QWidget*> controls = Controls(&form);
  const std::string settings = Folder() + "config/brandel2/brandel2.conf";
  auto comforts = std::make_unique<Comforts>(&form, &boxes_, settings);

  QMenu* menu = comforts->ShowMenu(form.mapToGlobal(QPoint(10, 10)));
  const QStringList top = Labels(menu);
  EXPECT_EQ(top.front(), QStringLiteral("大きさ ×1"));
  EXPECT_EQ(top.mid(top.size() - 6), (QStringList{"全画面\tF11", "効果音の音量", "音楽の音量",
                                                  "消音\tM", "効果音の遅れを減らす", "キー操作…"}));
  QMenu* effects = Item(menu, "効果音の音量")->menu();
  ASSERT_NE(effects, nullptr);
  EXPECT_EQ(Labels(effects), (QStringList{"100%", "90%", "80%", "70%", "60%", "50%", "40%", "30%",
                                          "20%", "10%", "0%"}));
  EXPECT_TRUE(Item(effects, "100%")->isChecked());

  // The effects at 50 % scale the mixer's output; the music at 30 % the synthesizer's.
  Item(effects, "50%")->trigger();
  EXPECT_EQ(form.WaveMix1->MasterVolume(), 50);
  Item(Item(menu, "音楽の音量")->menu(), "30%")->trigger();
  EXPECT_EQ(mci::MusicVolume(), 30);
  // Mute silences both and gives both back.
  Item(menu, "消音\tM")->trigger();
  EXPECT_EQ(form.WaveMix1->MasterVolume(), 0);
  EXPECT_EQ(mci::MusicVolume(), 0);
  comforts->SetMute(false);
  EXPECT_EQ(form.WaveMix1->MasterVolume(), 50);
  EXPECT_EQ(mci::MusicVolume(), 30);
  menu->close();

  // Quick response: with sound already queued, a press on an idle channel starts at what is
  // heard now rather than after the queued blocks, and presses still queue on their channel.
  form.start_b->click();  // the button sound on channel 1: the mixer runs
  Advance(50);
  const MixSession* session = form.WaveMix1->Session();
  const std::int32_t heard = wavemix::CurrentPosition(session->device, session->goodWavePos);
  ASSERT_GT(session->mixPosition, heard + 1000);
  comforts->SetQuickResponse(true);
  form.PlayAttackSound();
  EXPECT_EQ(session->channelTable[0]->Start, heard);
  form.PlayButtonSound();
  const PlayNode* first = session->channelTable[1];
  ASSERT_NE(first->Next, nullptr);
  EXPECT_EQ(first->Next->Start, first->End);

  // The keys box, once the menu has gone.
  Boxes();
  menu = comforts->ShowMenu(form.mapToGlobal(QPoint(10, 10)));
  Item(menu, "キー操作…")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kKeysText});

  // Kept for the next start; the window has gained no control and no menu bar.
  EXPECT_EQ(Controls(&form), controls);
  EXPECT_EQ(form.findChild<QMenuBar*>(), nullptr);
  menu->close();
  comforts.reset();
  const PlayerSettings kept = SettingsFile(settings).Load();
  EXPECT_EQ(kept.effectsVolume, 50);
  EXPECT_EQ(kept.musicVolume, 30);
  EXPECT_FALSE(kept.mute);
  EXPECT_TRUE(kept.quickResponse);
  mci::SetMusicVolume(mci::kFullMusicVolume);
}

}  // namespace
}  // namespace brandel::testing
