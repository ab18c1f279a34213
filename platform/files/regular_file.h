// SPDX-License-Identifier: MIT
// Opening a file that is to be read by path, never waiting on it: a FIFO without a writer,
// a terminal, a device or a socket would block or change something when opened, and a
// folder reads as nothing, so anything but a regular file is refused at once.
#pragma once

#include <cerrno>
#include <cstdio>

namespace files {

// The errno of a path that exists but is no regular file.
inline constexpr int kNotRegularFile = ENXIO;

// A read-only, close-on-exec descriptor of the regular file at path, in blocking mode; -1
// with errno set otherwise (ENOENT and the like as open gives them, kNotRegularFile for a
// FIFO, device, socket or folder).
int OpenRegularFile(const char* path);

// The same as a binary stdio stream; nullptr with errno set.
std::FILE* OpenRegularStream(const char* path);

}  // namespace files
