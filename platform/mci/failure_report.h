// SPDX-License-Identifier: MIT
// The music layer's own lines on stderr, for failures the user can do something about (a
// soundfont that does not load, an audio device that does not open). The game swallows the
// error and plays on silently; this line is the only trace. Each distinct line is printed once
// per process. UI thread only.
#pragma once

#include <string>

namespace mci {

// Prints "music: " + what, with a line end, unless that line was printed before.
void ReportMusicFailure(const std::string& what);

}  // namespace mci
