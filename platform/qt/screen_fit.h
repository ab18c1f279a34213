// SPDX-License-Identifier: MIT
// Keeping a window on its screen: where the screen (after scaling) is too small for the
// position a window was laid out at, it is moved just enough to lie wholly on the screen.
#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace qtui {

// Where frame (the window with its frame) goes within area: its own place where it fits, else
// moved just enough; a window larger than the area keeps its top-left corner on it.
QPoint FitOnScreen(QRect frame, QRect area);

// Moves the window by FitOnScreen within the available area of the screen it is on.
void KeepOnScreen(QWidget* window);

}  // namespace qtui
