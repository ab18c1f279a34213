// SPDX-License-Identifier: MIT
// Read-only INI files with the classic private-profile rules: section and key names compare
// without regard to ASCII case, blanks around names and values are ignored, ';' starts a
// comment line, the first occurrence of a section or key wins, and an integer is read as
// the classic reader reads it. A missing or malformed file gives the defaults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ini {

class IniFile {
 public:
  static IniFile Parse(std::string_view text);
  // Empty when unreadable or no regular file (a FIFO or device is never waited on).
  static IniFile Load(const std::filesystem::path& path);

  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // The key's value read as an integer; def when the section or key is absent.
  std::int32_t Int(std::string_view section, std::string_view key, std::int32_t def) const;

 private:
  struct Impl;
  std::shared_ptr<const Impl> impl_;
};

// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigDirectory();

// The classic call: fileName is resolved in ConfigDirectory() when it has no folder part.
std::int32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                  const char* fileName);

}  // namespace ini
