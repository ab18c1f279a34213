// SPDX-License-Identifier: MIT
// The play record "my.dat": five text lines (text, then four 32-bit numbers), CR LF line ends.
#pragma once

#include <string>
#include <string_view>

#include "game/game_variables.h"

namespace brandel {

// Sets RecordText, PlayCount, Experience, RecordValue4 and RecordValue5 in order. Throws
// InOutError: 103 when the file cannot be opened or read (a FIFO, device or folder is refused
// without waiting on it), 106 at a line that holds no number; the values read before the
// failure keep their new values, the failing one is 0. When the record exists but could not
// be read (permissions, an I/O error), *unread is set before the 103 leaves, so that the save
// keeps it (see WritePlayRecord); a missing record leaves it false.
void ReadPlayRecord(const std::string& path, GameVariables& into, bool* unread = nullptr);

// The same reading on the file's bytes.
void ParsePlayRecord(std::string_view contents, GameVariables& into);

// The five lines as WritePlayRecord writes them.
std::string FormatPlayRecord(const GameVariables& from);

// Replaces the file with the five values. The new contents go to the record's temporary file
// (its name + ".tmp", one per record, a stale one from a killed save replaced and never
// followed) and then take the record's place by a rename, so a failed or killed write never
// leaves a cut record. keepOld: the record was never read, so before it is replaced it is kept
// beside itself as its name + ".bak" (an older backup is replaced). Where the folder may not be
// written but the record may, the record is rewritten in place instead and flushed to the disk.
// Throws InOutError 103 when the record cannot be created (folder or file not writable, the
// backup not made), 101 when writing fails; the old record is then left as it was (cut short
// only when a rewrite in place failed half-way).
void WritePlayRecord(const std::string& path, const GameVariables& from, bool keepOld = false);

}  // namespace brandel
