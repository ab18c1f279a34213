// SPDX-License-Identifier: MIT
#include "platform/module/module.h"

#include <unistd.h>

#include <algorithm>
#include <array>

namespace module {

std::string ProgramFilePath() {
  std::array<char, 4096> buffer{};
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ProgramFolder() {
  std::string path = ProgramFilePath();
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string AssetPath(const std::string& name) {
  return AssetPath(ProgramFolder(), name);
}

std::string AssetPath(const std::string& folder, const std::string& name) {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  relative.erase(0, std::min(relative.find_first_not_of('/'), relative.size()));
  if (folder.empty() || folder.back() == '/') return folder + relative;
  return folder + '/' + relative;
}

}  // namespace module
