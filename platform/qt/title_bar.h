// SPDX-License-Identifier: MIT
// A title bar of our own for Qt's Wayland platform. There the compositor may leave the window's
// decorations to the program, and Qt's own then offer minimise and maximise buttons, which the
// game's fixed dialog windows and boxes do not have. Ours carries the window's icon (a click
// opens the system menu: move, close), its caption and the close box, and moves the window
// when dragged. Its buttons take no keyboard focus: the game's tab order stays as it is.
#pragma once

class QWidget;

namespace qtui {

// True on Qt's Wayland platform: every window of the game then draws its own title bar.
bool DrawsOwnTitleBars();

// Makes the window frameless and puts a title bar across its top. The window's top contents
// margin makes room for it: a layout keeps below it by itself; a window without a layout places
// its children below contentsMargins().top().
void AddTitleBar(QWidget* window);

// The title bar AddTitleBar gave the window; nullptr when it has none.
QWidget* TitleBarOf(const QWidget* window);

}  // namespace qtui
