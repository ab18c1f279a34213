// SPDX-License-Identifier: MIT
// A gamepad plays the game: an SDL virtual game controller, plugged in while the window runs,
// drives the real window and its real boxes (run under Xvfb).
#include <SDL2/SDL.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "game/comforts.h"
#include "game/game_variables.h"
#include "game/pad_control.h"
#include "game_fixture.h"
#include "platform/qt/qt_dialogs.h"

namespace brandel::testing {
namespace {

// One button held for a few polls, then let go: the pad is read at every poll, not on events.
class VirtualPad {
 public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.name = "virtual pad";
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    if (index_ >= 0) joystick_ = SDL_JoystickOpen(index_);
  }
  ~VirtualPad() { Unplug(); }
  bool Plugged() const { return joystick_ != nullptr; }
  void Unplug() {
    if (joystick_ != nullptr) SDL_JoystickClose(std::exchange(joystick_, nullptr));
    if (index_ >= 0) SDL_JoystickDetachVirtual(std::exchange(index_, -1));
  }
  void Hold(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  void Lean(SDL_GameControllerAxis axis, Sint16 value) {
    SDL_JoystickSetVirtualAxis(joystick_, axis, value);
  }

 private:
  int index_ = -1;
  SDL_Joystick* joystick_ = nullptr;
};

QMessageBox* OpenBox() {
  return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

TEST_F(GameTest, AVirtualPadPlaysTheFirstBattleFromTheTitle) {
  WriteAllPictures();
  WriteRecord("pad\r\n1\r\n0\r\n0\r\n0\r\n");
  qtui::QtDialogs boxes(kApplicationTitle);
  form_ = std::make_unique<TForm1>(GameFiles::InFolder(Folder()), &boxes);
  form_->SetSleep([](int) {});
  auto owned = std::make_unique<Comforts>(form_.get(), &boxes, "");
  Comforts& comforts = *owned;
  form_->show();
  ASSERT_TRUE(comforts.Pads()->Available()) << SDL_GetError();
  ASSERT_EQ(comforts.Pads()->PadCount(), 0);

  VirtualPad pad;  // plugged in while the game runs
  ASSERT_TRUE(pad.Plugged()) << SDL_GetError();

  // The player: every 50 ms it lets go of what it held, or looks at the game and presses.
  enum class Step { KeysBox, CloseKeys, Play };
  Step step = Step::KeysBox;
  bool holding = false;
  std::function<void()> letGo;
  bool keysShown = false;
  bool won = false;
  int settle = 0;  // ticks to wait after a box: its handler goes on once its loop has ended
  int stickMoves = 0;
  QEventLoop loop;
  QTimer player;
  QObject::connect(&player, &QTimer::timeout, [&] {
    if (won) return;
    if (holding) {
      letGo();
      holding = false;
      return;
    }
    const auto press = [&](SDL_GameControllerButton button) {
      pad.Hold(button, true);
      letGo = [&pad, button] { pad.Hold(button, false); };
      holding = true;
    };
    const auto lean = [&](Sint16 value) {
      pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, value);
      letGo = [&pad] { pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 0); };
      holding = true;
    };
    if (comforts.Pads()->PadCount() == 0) return;  // not seen yet
    for (QPushButton* button : {form_->kougeki, form_->magic, form_->start_b}) {
      if (button->isDown()) return;  // a press is still being shown
    }
    QMessageBox* box = OpenBox();
    for (QAbstractButton* button : box != nullptr ? box->buttons() : QList<QAbstractButton*>{}) {
      if (button->isDown()) return;  // the answer is still being shown
    }
    if (box != nullptr) {
      settle = 2;
    } else if (settle > 0) {
      --settle;
      return;
    }
    switch (step) {
      case Step::KeysBox:  // Back opens the keys box, B closes it
        if (box != nullptr) {
          keysShown = box->text() == QString::fromUtf8(kKeysText).replace('\r', '\n');
          step = Step::CloseKeys;
          press(SDL_CONTROLLER_BUTTON_B);
        } else {
          press(SDL_CONTROLLER_BUTTON_BACK);
        }
        return;
      case Step::CloseKeys:
        if (box == nullptr) step = Step::Play;
        return;
      case Step::Play:
        break;
    }
    if (form_->start_b->text() == QStringLiteral("ＳＴＡＧＥ２！！") && box == nullptr) {
      won = true;
      loop.quit();
    } else if (box != nullptr) {
      press(SDL_CONTROLLER_BUTTON_A);  // OK
    } else if (form_->start_b->isEnabled()) {
      press(SDL_CONTROLLER_BUTTON_START);
    } else {
      // In battle: magic until it has been used 25 times, then attack.
      QPushButton* wanted = Game.MagicCount < 25 ? form_->magic : form_->kougeki;
      if (form_->focusWidget() == wanted) {
        press(SDL_CONTROLLER_BUTTON_A);
      } else if (stickMoves++ % 2 == 0) {
        lean(wanted == form_->kougeki ? -30000 : 30000);  // the stick: up or down
      } else {
        press(wanted == form_->kougeki ? SDL_CONTROLLER_BUTTON_DPAD_UP
                                       : SDL_CONTROLLER_BUTTON_DPAD_DOWN);
      }
    }
  });
  player.start(50);
  QTimer::singleShot(120000, &loop, [&] { loop.exit(1); });
  const int timedOut = loop.exec();
  player.stop();

  EXPECT_EQ(timedOut, 0) << "the battle was not won; caption "
                         << form_->start_b->text().toStdString() << ", attacks " << Game.AttackCount
                         << ", magic " << Game.MagicCount;
  EXPECT_TRUE(keysShown) << "Back did not show the keys box";
  EXPECT_EQ(form_->start_b->text(), QStringLiteral("ＳＴＡＧＥ２！！"));
  EXPECT_EQ(Game.Experience, 50);
  EXPECT_GT(stickMoves, 0);

  pad.Unplug();  // pulled out: nothing is left open
  QElapsedTimer clock;
  clock.start();
  while (comforts.Pads()->PadCount() > 0 && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  EXPECT_EQ(comforts.Pads()->PadCount(), 0);
  owned.reset();
  form_.reset();
}

}  // namespace
}  // namespace brandel::testing
