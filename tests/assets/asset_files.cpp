// SPDX-License-Identifier: MIT
#include "asset_files.h"

#include <fstream>
#include <iterator>

std::string BinPath(const std::string& name) {
  return std::string(BRANDEL_BIN_DIR) + "/" + name;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
