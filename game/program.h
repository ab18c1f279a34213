// SPDX-License-Identifier: MIT
// What the program entry does once the application exists: create Form1, show it and run the
// message loop until it closes. The message layer wakes Qt's loop for as long as this runs.
//
// Other ends than the close box take the same way: SIGINT, SIGTERM and SIGHUP (see
// qtui::QuitSignals) close the window from the loop; the desktop's logout saves the record
// when the session manager asks; a loop that ends with the window still open closes it.
#pragma once

#include <functional>

#include "game/comforts.h"
#include "game/game_files.h"
#include "game/unit1.h"
#include "platform/qt/dialogs.h"

namespace brandel {

// Returns the exit code: the message loop's, or 1 when the window could not be created (its
// mixer could not be set up), after boxes.ShowApplicationError with the error's message.
// The player's settings come from the configuration folder; request overrides how the window
// is shown for this start.
int RunProgram(qtui::Dialogs& boxes, const GameFiles& files, const DisplayRequest& request = {});

// The desktop's logout: the record is saved as the close saves it, whatever box is open. A save
// that fails is shown in the error box when mayShowError() grants it (the session manager is
// asked only then), else on standard error.
void SaveForLogout(TForm1& form, qtui::Dialogs& boxes, const std::function<bool()>& mayShowError);

// The last chance before the process ends abruptly (Qt ends it when the display's connection
// is lost): saves the running game's record, once, without any box. Safe to call at any time.
void SaveBeforeAbruptEnd() noexcept;

}  // namespace brandel
