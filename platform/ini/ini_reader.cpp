// SPDX-License-Identifier: MIT
#include "platform/ini/ini_reader.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/files/regular_file.h"

namespace ini {
namespace {

// A settings file is a few lines; beyond this much the rest is not read, so a huge file
// costs no more memory than this.
constexpr std::size_t kMaxFileBytes = 1 << 20;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Leading blanks, an optional sign, then decimal digits or 0x and hex digits; reading stops
// at the first other character. Overflow wraps around (unsigned arithmetic, never undefined).
std::int32_t ParseClassicInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    negative = s[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  if (i + 1 < s.size() && s[i] == '0' && AsciiLower(s[i + 1]) == 'x') {
    for (i += 2; i < s.size() && HexDigit(s[i]) >= 0; ++i) {
      value = value * 16u + static_cast<std::uint32_t>(HexDigit(s[i]));
    }
  } else {
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      value = value * 10u + static_cast<std::uint32_t>(s[i] - '0');
    }
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace

// The text is kept as read and every lookup walks it once: a lookup costs time linear in the
// file's size and allocates nothing, and the few lookups of a session stay within that.
struct IniFile::Impl {
  std::string text;
};

IniFile IniFile::Parse(std::string_view text) {
  IniFile file;
  file.impl_ = std::make_shared<const Impl>(Impl{std::string(text)});
  return file;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  // Plain C reads: a read error ends the text quietly instead of throwing. A FIFO, device or
  // folder is refused without waiting on it.
  std::FILE* file = files::OpenRegularStream(path.c_str());
  if (file == nullptr) return Parse({});
  std::string text;
  char chunk[4096];
  std::size_t got;
  while (text.size() < kMaxFileBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, got);
  }
  std::fclose(file);
  return Parse(text);
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  if (!impl_) return std::nullopt;
  const std::string_view text = impl_->text;
  bool inSection = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // Only the first section of a name is read: a repeated one is not looked at.
      if (inSection) return std::nullopt;
      std::string_view name = line.substr(1);
      inSection = SameName(Trim(name.substr(0, name.find(']'))), section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (SameName(Trim(line.substr(0, equals)), key)) {
      return std::string(Trim(line.substr(equals + 1)));  // the first occurrence wins
    }
  }
  return std::nullopt;
}

std::int32_t IniFile::Int(std::string_view section, std::string_view key, std::int32_t def) const {
  std::optional<std::string> value = Value(section, key);
  return value ? ParseClassicInt(*value) : def;
}

std::filesystem::path ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;  // a relative value is to be ignored
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::filesystem::path(home) / ".config";
  return {};
}

std::int32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                  const char* fileName) {
  if (section == nullptr || key == nullptr || fileName == nullptr) return def;
  std::filesystem::path path(fileName);
  if (!path.has_parent_path()) {
    std::filesystem::path folder = ConfigDirectory();
    if (folder.empty()) return def;
    path = folder / path;
  }
  return IniFile::Load(path).Int(section, key, def);
}

}  // namespace ini
