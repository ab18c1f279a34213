// SPDX-License-Identifier: MIT
// Starting Qt on a display. Qt is offered both of its Linux display platforms, the one it would
// pick first ahead, so that a Wayland session without X still starts, and so does an X session
// without the Wayland plugin. A start where no platform can be used ends with one line of our
// own and status 1, where Qt would abort and leave a core dump.
#pragma once

#include <string>

namespace brandel {

// Qt's platform list when neither -platform nor QT_QPA_PLATFORM chose one: Wayland first in a
// Wayland session (GNOME's excepted, where Qt keeps to X11 while XWayland runs), else X11 first.
std::string PlatformsToTry(const std::string& sessionType, const std::string& desktop);

// Whether there is any display to try: a platform chosen (QT_QPA_PLATFORM, or -platform given
// as platformOption), a display named (DISPLAY, WAYLAND_DISPLAY, or -display given).
bool DisplayNamed(const std::string& platformOption, bool displayOption);

// Installs the program's handler of Qt's messages; platforms is the list Qt tries. Until QtStarted,
// Qt's messages about the platforms it tried are held back, and a fatal one prints one line and
// ends the process with status 1. From then on messages are printed as Qt prints them, and a fatal
// one saves the play record first (SaveBeforeAbruptEnd).
void GuardQtStart(const std::string& platforms);
// Qt stands on a display: held messages are printed, except those of platforms that failed
// before the one that started.
void QtStarted();

}  // namespace brandel
