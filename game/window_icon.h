// SPDX-License-Identifier: MIT
// The game's icon, drawn at build time by gen-bitmaps (the launcher's own) and built into the
// program, so every window carries it wherever the program runs: X11 window managers and task
// switchers read it from the window (_NET_WM_ICON), Wayland ones from the desktop entry.
#pragma once

#include <QIcon>

namespace brandel {

QIcon GameIcon();

}  // namespace brandel
