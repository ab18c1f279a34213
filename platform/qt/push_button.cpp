// SPDX-License-Identifier: MIT
#include "platform/qt/push_button.h"

#include <QKeyEvent>
#include <QPainter>

namespace qtui {

PushButton::PushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void PushButton::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || event->modifiers() & ~Qt::KeypadModifier) {
    QPushButton::keyPressEvent(event);
    return;
  }
  // A held key is one press, as with Space.
  if (!event->isAutoRepeat()) click();
  event->accept();
}

void PushButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QPen pen(palette().color(QPalette::ButtonText), kMarkWidth);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  // The pen straddles its path: half a width inwards keeps both pixels inside the inset.
  const qreal edge = kMarkInset + kMarkWidth / 2.0;
  painter.drawRect(QRectF(rect()).adjusted(edge, edge, -edge, -edge));
}

}  // namespace qtui
