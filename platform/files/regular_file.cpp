// SPDX-License-Identifier: MIT
#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace files {

namespace {

int Refuse(int fd) {
  if (fd >= 0) ::close(fd);
  errno = kNotRegularFile;
  return -1;
}

}  // namespace

int OpenRegularFile(const char* path) {
  if (path == nullptr) {
    errno = ENOENT;
    return -1;
  }
  // A look first, so that a device is never opened at all; the check on the descriptor
  // below is the one that counts, should the path change in between.
  struct stat info {};
  if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return Refuse(-1);

  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return Refuse(fd);
  // Some file systems (FUSE, network ones) honour the flag on regular files too.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

std::FILE* OpenRegularStream(const char* path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return nullptr;
  std::FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return stream;
}

}  // namespace files
