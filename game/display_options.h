// SPDX-License-Identifier: MIT
// The command-line options for how the window is shown at this start: --zoom N, --fullscreen
// and --window. They leave the settings file as it is.
#pragma once

#include "game/comforts.h"
#include "game/command_line.h"

namespace brandel {

// Adds the options to line; what they ask lands in *request as the line is parsed.
void AddDisplayOptions(CommandLine& line, DisplayRequest* request);

}  // namespace brandel
