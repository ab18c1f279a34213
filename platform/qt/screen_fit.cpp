// SPDX-License-Identifier: MIT
#include "platform/qt/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace qtui {

namespace {

int Fit(int start, int length, int areaStart, int areaLength) {
  return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

}  // namespace

QPoint FitOnScreen(QRect frame, QRect area) {
  return {Fit(frame.x(), frame.width(), area.x(), area.width()),
          Fit(frame.y(), frame.height(), area.y(), area.height())};
}

void KeepOnScreen(QWidget* window) {
  const QRect frame = window->frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(frame.topLeft());
  if (screen == nullptr) screen = window->screen();
  if (screen == nullptr) return;
  QRect area = screen->availableGeometry();
  // Scaled, the area is rounded to whole logical pixels and may reach a part of one past the
  // screen's edge (1280 pixels at a scale of 3 are reported as 427).
  if (screen->devicePixelRatio() != 1.0) area.adjust(0, 0, -1, -1);
  const QPoint place = FitOnScreen(frame, area);
  if (place != frame.topLeft()) window->move(place);
}

}  // namespace qtui
