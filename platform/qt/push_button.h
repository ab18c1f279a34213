// SPDX-License-Identifier: MIT
// The game's push button, played as well from the keyboard as with the mouse: Enter and the
// keypad's Enter press it as Space does, and while it has the focus it carries a mark that is
// plain to see from the first frame on, where Qt's style draws a thin outline only once the
// player has pressed Tab.
#pragma once

#include <QPushButton>

namespace qtui {

class PushButton : public QPushButton {
 public:
  PushButton(const QString& text, QWidget* parent);

  // The focus mark: a frame this many pixels wide, in the button's text colour, this far
  // inside the button's edge.
  static constexpr int kMarkWidth = 2;
  static constexpr int kMarkInset = 3;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qtui
