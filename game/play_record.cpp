// SPDX-License-Identifier: MIT
#include "game/play_record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "game/io_error.h"
#include "game/text_reader.h"
#include "platform/files/regular_file.h"

namespace brandel {

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Missing is told apart from there but unreadable: a record that was never read must not be
// replaced unseen. A FIFO, device or folder is no record either way.
bool ExistsUnread(const std::string& path, int openError) {
  if (openError == ENOENT || openError == ENOTDIR) return false;
  struct stat info {};
  return !(::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode));
}

std::string ReadWholeFile(const std::string& path, bool* unread) {
  FileDescriptor file(files::OpenRegularFile(path.c_str()));
  if (file.Get() < 0) {
    if (unread != nullptr) *unread = ExistsUnread(path, errno);
    throw InOutError(InOutError::kFileNotOpen);
  }
  std::string contents;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (unread != nullptr) *unread = true;
      throw InOutError(InOutError::kFileNotOpen);
    }
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  return contents;
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw InOutError(InOutError::kDiskWriteError);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// The record is written where a symbolic link points, so the link stays a link.
std::string ResolvedTarget(const std::string& path) {
  char resolved[PATH_MAX];
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
      ::realpath(path.c_str(), resolved)) {
    return resolved;
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Fails like creating the record in place would: an existing record that may not be
// written, or that is no regular file, refuses the write.
void CheckReplaceable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return;
  if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0)
    throw InOutError(InOutError::kFileNotOpen);
}

// What a newly created file gets: read and write for all, less the process's umask.
mode_t DefaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// One temporary file per record, beside it: a save killed half-way leaves at most this one,
// and the next save replaces it.
constexpr const char* kTemporarySuffix = ".tmp";
constexpr const char* kBackupSuffix = ".bak";

// Two saves of one record at once would share its temporary file; the folder's lock makes
// them take turns. A save that waits too long gives up with 103; where the file system has
// no locks, the save goes on without.
void LockForSave(int folder) {
  if (folder < 0) return;
  for (int attempt = 0; ::flock(folder, LOCK_EX | LOCK_NB) != 0; ++attempt) {
    if (errno != EWOULDBLOCK && errno != EINTR) return;
    if (attempt == 200) throw InOutError(InOutError::kFileNotOpen);
    ::usleep(10'000);
  }
}

// A stale temporary file is removed, not opened: whatever stands there (a link, a FIFO) is
// never followed or written through.
int CreateTemporary(const std::string& temporary) {
  (void)::unlink(temporary.c_str());
  return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Copies a record where a hard link cannot be made (file systems without them).
bool CopyFile(const std::string& from, const std::string& to) {
  FileDescriptor in(files::OpenRegularFile(from.c_str()));
  struct stat info {};
  if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0) return false;
  FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            info.st_mode & 07777));
  if (out.Get() < 0) return false;
  try {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) break;
      WriteAll(out.Get(), std::string_view(buffer, static_cast<std::size_t>(n)));
    }
  } catch (const InOutError&) {
    return false;
  }
  return ::fsync(out.Get()) == 0 && out.Close();
}

// Keeps the record that is about to be replaced as its name + ".bak". Until the rename that
// follows, the old record stays in place, so no moment is without it.
void KeepAsBackup(const std::string& target) {
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) return;  // gone meanwhile: nothing to keep
  const std::string backup = target + kBackupSuffix;
  if (::unlink(backup.c_str()) != 0 && errno != ENOENT) throw InOutError(InOutError::kFileNotOpen);
  if (::link(target.c_str(), backup.c_str()) == 0) return;
  if (CopyFile(target, backup)) return;
  ::unlink(backup.c_str());
  throw InOutError(InOutError::kFileNotOpen);
}

// The temporary file could not be created because the folder may not be written (a shared
// install, a folder made read-only) rather than for a full disk or another fault.
bool FolderRefusesUs(int createError, int folder) {
  if (createError == EACCES || createError == EPERM) return true;
  // A temporary file left by a killed save that cannot be removed in such a folder.
  return createError == EEXIST && folder >= 0 && ::faccessat(folder, ".", W_OK, AT_EACCESS) != 0 &&
         (errno == EACCES || errno == EPERM);
}

// The record's own rule where no file may be made beside it: the record itself is rewritten,
// and on the disk before the close goes on. A failure leaves it possibly cut short, as that
// rule did; the folder leaves no safer way.
void RewriteInPlace(const std::string& target, std::string_view contents) {
  FileDescriptor file(::open(target.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
  if (file.Get() < 0) throw InOutError(InOutError::kFileNotOpen);
  WriteAll(file.Get(), contents);
  if (::fsync(file.Get()) != 0 || !file.Close()) throw InOutError(InOutError::kDiskWriteError);
}

}  // namespace

void ReadPlayRecord(const std::string& path, GameVariables& into, bool* unread) {
  if (unread != nullptr) *unread = false;
  ParsePlayRecord(ReadWholeFile(path, unread), into);
}

void ParsePlayRecord(std::string_view contents, GameVariables& into) {
  TextReader reader(contents);
  into.RecordText = reader.ReadText();
  reader.NextLine();
  for (std::int32_t* number :
       {&into.PlayCount, &into.Experience, &into.RecordValue4, &into.RecordValue5}) {
    *number = 0;
    *number = reader.ReadInteger();
    reader.NextLine();
  }
}

std::string FormatPlayRecord(const GameVariables& from) {
  std::string contents = from.RecordText + "\r\n";
  for (std::int32_t number :
       {from.PlayCount, from.Experience, from.RecordValue4, from.RecordValue5}) {
    contents += std::to_string(number) + "\r\n";
  }
  return contents;
}

void WritePlayRecord(const std::string& path, const GameVariables& from, bool keepOld) {
  const std::string contents = FormatPlayRecord(from);
  const std::string target = ResolvedTarget(path);
  CheckReplaceable(target);
  FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  LockForSave(folder.Get());
  const std::string temporary = target + kTemporarySuffix;
  FileDescriptor file(CreateTemporary(temporary));
  if (file.Get() < 0) {
    if (!FolderRefusesUs(errno, folder.Get())) throw InOutError(InOutError::kFileNotOpen);
    if (keepOld) KeepAsBackup(target);  // fails in such a folder: the record stays as it is
    RewriteInPlace(target, contents);
    return;
  }

  struct stat old {};
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode();
  try {
    (void)::fchmod(file.Get(), mode);
    WriteAll(file.Get(), contents);
    if (::fsync(file.Get()) != 0 || !file.Close()) throw InOutError(InOutError::kDiskWriteError);
    if (keepOld) KeepAsBackup(target);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
      throw InOutError(InOutError::kFileNotOpen);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  if (folder.Get() >= 0) ::fsync(folder.Get());  // makes the rename itself durable
}

}  // namespace brandel
