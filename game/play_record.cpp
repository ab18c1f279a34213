#include "game/play_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "game/io_error.h"
#include "game/text_reader.h"

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

std::string ReadWholeFile(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    throw InOutError(InOutError::kFileNotOpen);
  }
  std::string contents;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
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

}  // namespace

void ReadPlayRecord(const std::string& path, GameVariables& into) {
  const std::string contents = ReadWholeFile(path);
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

void WritePlayRecord(const std::string& path, const GameVariables& from) {
  std::string contents = from.RecordText + "\r\n";
  for (std::int32_t number :
       {from.PlayCount, from.Experience, from.RecordValue4, from.RecordValue5}) {
    contents += std::to_string(number) + "\r\n";
  }

  const std::string target = ResolvedTarget(path);
  CheckReplaceable(target);
  std::string temporary = target + ".XXXXXX";
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (file.Get() < 0) throw InOutError(InOutError::kFileNotOpen);

  struct stat old {};
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode();
  try {
    (void)::fchmod(file.Get(), mode);
    WriteAll(file.Get(), contents);
    if (::fsync(file.Get()) != 0 || !file.Close()) throw InOutError(InOutError::kDiskWriteError);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
      throw InOutError(InOutError::kFileNotOpen);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) ::fsync(folder.Get());  // makes the rename itself durable
}

}  // namespace brandel
