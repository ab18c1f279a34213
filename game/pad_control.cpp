// SPDX-License-Identifier: MIT
#include "game/pad_control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <array>

#include "game/unit1.h"

namespace brandel {

namespace {

// Often enough that a press feels immediate while a pad is there; seldom while none is.
constexpr int kPollWithPadMs = 16;
constexpr int kPollWithoutPadMs = 250;

// A popup menu is driven as the keyboard drives it.
void SendKey(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

void AnswerBox(QMessageBox* box, pad::Press press) {
  QAbstractButton* answer = nullptr;
  if (press == pad::Press::A) {
    for (QAbstractButton* button : box->buttons()) {
      const QMessageBox::ButtonRole role = box->buttonRole(button);
      if (role == QMessageBox::AcceptRole || role == QMessageBox::YesRole) answer = button;
    }
  } else if (press == pad::Press::B) {
    answer = box->escapeButton();
    if (answer == nullptr && box->buttons().size() == 1) answer = box->buttons().front();
  }
  if (answer != nullptr) answer->animateClick();
}

}  // namespace

PadControl::PadControl(TForm1* form, std::function<void()> showKeys)
    : form_(form), showKeys_(std::move(showKeys)) {
  if (!pads_.Available()) return;
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start(kPollWithoutPadMs);
}

void PadControl::Poll() {
  for (pad::Press press : pads_.Poll()) Handle(press);
  timer_.setInterval(pads_.Count() > 0 ? kPollWithPadMs : kPollWithoutPadMs);
}

void PadControl::Handle(pad::Press press) {
  if (QWidget* popup = QApplication::activePopupWidget()) {
    switch (press) {
      case pad::Press::Up:
        SendKey(popup, Qt::Key_Up);
        break;
      case pad::Press::Down:
        SendKey(popup, Qt::Key_Down);
        break;
      case pad::Press::Left:
        SendKey(popup, Qt::Key_Left);
        break;
      case pad::Press::Right:
        SendKey(popup, Qt::Key_Right);
        break;
      case pad::Press::A:
        SendKey(popup, Qt::Key_Return);
        break;
      case pad::Press::B:
        SendKey(popup, Qt::Key_Escape);
        break;
      default:
        break;
    }
    return;
  }
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) AnswerBox(box, press);
    return;
  }
  switch (press) {
    case pad::Press::Up:
    case pad::Press::Left:
      MoveFocus(-1);
      break;
    case pad::Press::Down:
    case pad::Press::Right:
      MoveFocus(1);
      break;
    case pad::Press::A:
      if (auto* button = qobject_cast<QPushButton*>(form_->focusWidget());
          button != nullptr && button->isEnabled() && button->parentWidget() == form_) {
        button->animateClick();
      } else {
        MoveFocus(1);
      }
      break;
    case pad::Press::Start:
      if (form_->start_b->isEnabled()) form_->start_b->animateClick();
      break;
    case pad::Press::Back:
      // From the event loop, not from this poll: the box's own loop must go on polling.
      if (showKeys_) QTimer::singleShot(0, this, showKeys_);
      break;
    case pad::Press::B:
      break;
  }
}

void PadControl::MoveFocus(int step) {
  // The window's tab order.
  const std::array<QPushButton*, 5> order = {form_->kougeki, form_->magic, form_->BitBtn3,
                                             form_->BitBtn4, form_->start_b};
  const int count = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (order[i] == form_->focusWidget()) at = i;
  }
  if (at < 0) at = step > 0 ? -1 : count;
  for (int tried = 0; tried < count; ++tried) {
    at = (at + step + count) % count;
    if (order[at]->isEnabled()) {
      order[at]->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace brandel
