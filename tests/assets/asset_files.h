// SPDX-License-Identifier: MIT
#pragma once
// Where the generated files stand, and reading them whole.

#include <cstdint>
#include <string>
#include <vector>

std::string BinPath(const std::string& name);
// Empty when the file cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
