// SPDX-License-Identifier: MIT
#include "platform/riff/riff_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/files/regular_file.h"

namespace mmio {

struct MmioFile {
  // Exactly one of the two sources is set.
  std::FILE* stream = nullptr;
  std::unique_ptr<char[]> streamBuffer;  // the reader's own I/O buffer for a disk file
  const char* memory = nullptr;
  std::uint32_t size = 0;      // bytes in the file (a disk file beyond 4 GiB shows its first 4 GiB)
  std::uint32_t position = 0;  // always <= size
};

namespace {

constexpr std::size_t kFileBufferSize = 0x10000;

void SetError(MMIOINFO* info, MMRESULT code) {
  if (info != nullptr) info->wErrorRet = code;
}

// Reads up to count bytes at the current position; never past the file's end.
std::uint32_t ReadAt(MmioFile& f, char* buffer, std::uint32_t count, bool& failed) {
  failed = false;
  std::uint32_t n = std::min(count, f.size - f.position);
  if (n == 0) return 0;
  if (f.memory != nullptr) {
    std::memcpy(buffer, f.memory + f.position, n);
  } else {
    if (fseeko(f.stream, static_cast<off_t>(f.position), SEEK_SET) != 0) {
      failed = true;
      return 0;
    }
    n = static_cast<std::uint32_t>(std::fread(buffer, 1, n, f.stream));
    if (n == 0) failed = std::ferror(f.stream) != 0;
  }
  f.position += n;
  return n;
}

bool ReadWord(MmioFile& f, std::uint32_t& word) {
  unsigned char bytes[4];
  bool failed;
  if (ReadAt(f, reinterpret_cast<char*>(bytes), 4, failed) != 4) return false;
  word = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
  return true;
}

// Position just after a chunk, its size padded to even; may lie beyond the file.
std::uint64_t ChunkEnd(std::uint64_t dataOffset, std::uint32_t size) {
  return dataOffset + size + (size & 1u);
}

HMMIO OpenDisk(const char* path, MMIOINFO* info) {
  // A FIFO or device is refused without waiting on it.
  std::FILE* stream = files::OpenRegularStream(path);
  if (stream == nullptr) {
    SetError(info, errno == ENOENT || errno == ENOTDIR ? MMIOERR_FILENOTFOUND : MMIOERR_CANNOTOPEN);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fileno(stream), &st) != 0) {
    std::fclose(stream);
    SetError(info, MMIOERR_CANNOTOPEN);
    return nullptr;
  }
  auto file = std::make_unique<MmioFile>();
  file->streamBuffer = std::make_unique<char[]>(kFileBufferSize);
  std::setvbuf(stream, file->streamBuffer.get(), _IOFBF, kFileBufferSize);
  file->stream = stream;
  file->size = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      static_cast<std::uint64_t>(st.st_size), std::numeric_limits<std::uint32_t>::max()));
  return file.release();
}

HMMIO OpenMemory(MMIOINFO* info) {
  if (info == nullptr || info->fccIOProc != FOURCC_MEM || info->cchBuffer < 0 ||
      (info->pchBuffer == nullptr && info->cchBuffer != 0)) {
    SetError(info, MMIOERR_CANNOTOPEN);
    return nullptr;
  }
  auto file = std::make_unique<MmioFile>();
  file->memory = info->pchBuffer;
  file->size = static_cast<std::uint32_t>(info->cchBuffer);
  return file.release();
}

}  // namespace

HMMIO mmioOpen(const char* path, MMIOINFO* info, std::uint32_t /*flags: reading only*/) {
  HMMIO file = path != nullptr ? OpenDisk(path, info) : OpenMemory(info);
  if (file != nullptr) SetError(info, MMSYSERR_NOERROR);
  return file;
}

MMRESULT mmioClose(HMMIO file, std::uint32_t /*flags*/) {
  if (file == nullptr) return MMIOERR_CANNOTCLOSE;
  MMRESULT result = MMSYSERR_NOERROR;
  if (file->stream != nullptr && std::fclose(file->stream) != 0) result = MMIOERR_CANNOTCLOSE;
  delete file;
  return result;
}

MMRESULT mmioDescend(HMMIO file, MMCKINFO* ck, const MMCKINFO* parent, std::uint32_t flags) {
  if (file == nullptr || ck == nullptr) return MMIOERR_CANNOTREAD;
  std::uint64_t limit = file->size;
  if (parent != nullptr)
    limit = std::min<std::uint64_t>(limit, std::uint64_t{parent->dwDataOffset} + parent->cksize);

  const FOURCC wantedId = ck->ckid;
  const FOURCC wantedType = ck->fccType;
  for (;;) {
    const std::uint32_t start = file->position;
    if (std::uint64_t{start} + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    if (!ReadWord(*file, id) || !ReadWord(*file, size)) return MMIOERR_CHUNKNOTFOUND;
    const bool isForm = id == FOURCC_RIFF || id == FOURCC_LIST;
    std::uint32_t type = 0;
    if (isForm && !ReadWord(*file, type)) return MMIOERR_CHUNKNOTFOUND;

    bool match = true;
    if (flags & MMIO_FINDRIFF) {
      match = id == FOURCC_RIFF && (wantedType == 0 || type == wantedType);
    } else if (flags & MMIO_FINDLIST) {
      match = id == FOURCC_LIST && (wantedType == 0 || type == wantedType);
    } else if (flags & MMIO_FINDCHUNK) {
      match = id == wantedId;
    }
    if (match) {
      ck->ckid = id;
      ck->cksize = size;
      ck->fccType = isForm ? type : 0;
      ck->dwDataOffset = start + 8;
      ck->dwFlags = 0;
      return MMSYSERR_NOERROR;
    }
    // Skip the chunk. A size that runs past the search limit ends the search.
    const std::uint64_t next = ChunkEnd(std::uint64_t{start} + 8, size);
    if (next > limit) {
      file->position = static_cast<std::uint32_t>(limit);
      return MMIOERR_CHUNKNOTFOUND;
    }
    file->position = static_cast<std::uint32_t>(next);
  }
}

MMRESULT mmioAscend(HMMIO file, MMCKINFO* ck, std::uint32_t /*flags*/) {
  if (file == nullptr || ck == nullptr) return MMIOERR_CANNOTSEEK;
  const std::uint64_t end = ChunkEnd(ck->dwDataOffset, ck->cksize);
  if (end > file->size) {
    file->position = file->size;
    return MMIOERR_CANNOTSEEK;
  }
  file->position = static_cast<std::uint32_t>(end);
  return MMSYSERR_NOERROR;
}

std::int32_t mmioRead(HMMIO file, char* buffer, std::int32_t count) {
  if (file == nullptr || count < 0 || (buffer == nullptr && count > 0)) return -1;
  bool failed = false;
  std::uint32_t n = ReadAt(*file, buffer, static_cast<std::uint32_t>(count), failed);
  return failed ? -1 : static_cast<std::int32_t>(n);
}

std::int32_t mmioSeek(HMMIO file, std::int32_t offset, int origin) {
  if (file == nullptr) return -1;
  std::int64_t base = 0;
  switch (origin) {
    case SEEK_SET:
      base = 0;
      break;
    case SEEK_CUR:
      base = file->position;
      break;
    case SEEK_END:
      base = file->size;
      break;
    default:
      return -1;
  }
  const std::int64_t target = base + offset;
  if (target < 0 || target > file->size || target > std::numeric_limits<std::int32_t>::max())
    return -1;
  file->position = static_cast<std::uint32_t>(target);
  return static_cast<std::int32_t>(target);
}

}  // namespace mmio
