// SPDX-License-Identifier: MIT
// Playing with a gamepad: the D-pad and the left stick move the focus between the enabled
// buttons in the window's order, A presses the focused button or answers OK/Yes in a box, B
// answers No or closes a one-button box, Start presses the big button when it is enabled and
// Back/Select opens the keys box. Pads may come and go at any time; with none nothing changes.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/gamepad/game_controllers.h"

namespace brandel {

class TForm1;

class PadControl : public QObject {
 public:
  PadControl(TForm1* form, std::function<void()> showKeys);

  bool Available() const { return pads_.Available(); }
  int PadCount() const { return pads_.Count(); }

 private:
  void Poll();
  void Handle(pad::Press press);
  void MoveFocus(int step);

  TForm1* form_;
  std::function<void()> showKeys_;
  pad::GameControllers pads_;
  QTimer timer_;
};

}  // namespace brandel
