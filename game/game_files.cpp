// SPDX-License-Identifier: MIT
#include "game/game_files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/files/regular_file.h"

namespace brandel {

namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordName = "my.dat";

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool HoldsAssets(const std::string& folder) {
  return IsFolder(folder + "cg");
}

// "/usr/bin/" -> "/usr/share/brandel2/".
std::string SharedAssetFolder(const std::string& programFolder) {
  return (fs::path(programFolder) / ".." / "share" / "brandel2" / "").lexically_normal().string();
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return {};
}

// Every missing folder of the path, private to the player as the data folder's rules ask.
bool MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return IsFolder(folder);
  }
}

// Never replaces a record that is already there, not even one made a moment ago by another start.
void CopyIfMissing(const std::string& from, const std::string& to) {
  std::FILE* in = files::OpenRegularStream(from.c_str());
  if (in == nullptr) return;
  std::string contents;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
    contents.append(buffer, n);
  const bool readAll = std::ferror(in) == 0;
  std::fclose(in);
  if (!readAll) return;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return;
  const bool written =
      ::write(fd, contents.data(), contents.size()) == static_cast<ssize_t>(contents.size());
  if (::close(fd) != 0 || !written) ::unlink(to.c_str());
}

}  // namespace

GameFiles GameFiles::InFolder(const std::string& folder) {
  return {folder, folder + kRecordName};
}

std::string GameFiles::InitialRecord() const {
  return assetFolder + kRecordName;
}

GameFiles LocateGameFiles(const std::string& programFolder, const std::string& dataHome) {
  if (programFolder.empty()) return GameFiles::InFolder(programFolder);
  const bool assetsBeside = HoldsAssets(programFolder);
  GameFiles files = GameFiles::InFolder(programFolder);
  if (!assetsBeside && HoldsAssets(SharedAssetFolder(programFolder))) {
    files.assetFolder = SharedAssetFolder(programFolder);
  }
  const bool besideIsHome =
      (assetsBeside || Exists(files.recordPath)) && ::access(programFolder.c_str(), W_OK) == 0;
  if (!besideIsHome && !dataHome.empty()) {
    files.recordPath = dataHome + "/brandel2/" + kRecordName;
  }
  return files;
}

std::string UserDataHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    return data;
  }
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share";
}

std::string UserConfigHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    return config;
  }
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.config";
}

void PrepareRecord(const GameFiles& files) {
  if (files.recordPath == files.InitialRecord()) return;
  const std::string folder = fs::path(files.recordPath).parent_path().string();
  if (!MakeFolders(folder) || Exists(files.recordPath)) return;
  CopyIfMissing(files.InitialRecord(), files.recordPath);
}

}  // namespace brandel
