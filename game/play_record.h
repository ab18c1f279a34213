// The play record "my.dat": five text lines (text, then four 32-bit numbers), CR LF line ends.
#pragma once

#include <string>

#include "game/game_variables.h"

namespace brandel {

// Sets RecordText, PlayCount, Experience, RecordValue4 and RecordValue5 in order. Throws
// InOutError: 103 when the file cannot be opened or read, 106 at a line that holds no number;
// the values read before the failure keep their new values, the failing one is 0.
void ReadPlayRecord(const std::string& path, GameVariables& into);

// Replaces the file with the five values. The new contents go to a temporary file in the same
// folder that is then renamed over the record, so a failed write never leaves a cut record.
// Throws InOutError 103 when the record cannot be created (folder or file not writable), 101
// when writing fails; the old record is then left as it was.
void WritePlayRecord(const std::string& path, const GameVariables& from);

}  // namespace brandel
