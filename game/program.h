// SPDX-License-Identifier: MIT
// What the program entry does once the application exists: create Form1, show it and run the
// message loop until it closes. The message layer wakes Qt's loop for as long as this runs.
#pragma once

#include "game/comforts.h"
#include "game/game_files.h"
#include "platform/qt/dialogs.h"

namespace brandel {

// Returns the exit code: the message loop's, or 1 when the window could not be created (its
// mixer could not be set up), after boxes.ShowApplicationError with the error's message.
// The player's settings come from the configuration folder; request overrides how the window
// is shown for this start.
int RunProgram(qtui::Dialogs& boxes, const GameFiles& files, const DisplayRequest& request = {});

}  // namespace brandel
