// SPDX-License-Identifier: MIT
// The running program's own file and folder.
#pragma once

#include <string>

namespace module {

// The program's file name (from /proc/self/exe); empty when it cannot be read.
std::string ProgramFilePath();
// The folder part of it, ending in '/'; empty when the file name cannot be read.
std::string ProgramFolder();
// Joins the program's folder and a name as the game writes asset names ("\cg\title.bmp"):
// every backslash is read as a separator, and exactly one separator stands between the two.
std::string AssetPath(const std::string& name);
// The same join on a given folder, for code that runs on another folder.
std::string AssetPath(const std::string& folder, const std::string& name);

}  // namespace module
