// SPDX-License-Identifier: MIT
// A RIFF file reader in the shape of the classic multimedia-file interface: open a file by
// name or a memory image, descend into the RIFF form or a chunk, read, ascend, close.
// It reads untrusted data: every size and offset is checked against the file's end and
// the enclosing chunk, and a failure leaves an error code, never an out-of-range access.
//
// Chunk sizes are reported as declared, so a chunk that claims more than the file holds
// reads short (the caller sees the truncation) instead of being silently shortened. Every
// access is clamped to the file's end; a search never looks past its parent's declared end
// nor past the file's end; offsets are computed in 64 bits, so no size wraps around.
#pragma once

#include <cstdint>

#include "wavemix/memory_file.h"

namespace mmio {

constexpr FOURCC FOURCC_RIFF = MakeFourCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = MakeFourCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_DOS = MakeFourCC('D', 'O', 'S', ' ');

// Error codes (in MMIOINFO::wErrorRet and as results).
enum : MMRESULT {
  MMSYSERR_NOERROR = 0,
  MMIOERR_FILENOTFOUND = 257,
  MMIOERR_OUTOFMEMORY = 258,
  MMIOERR_CANNOTOPEN = 259,
  MMIOERR_CANNOTCLOSE = 260,
  MMIOERR_CANNOTREAD = 261,
  MMIOERR_CANNOTSEEK = 263,
  MMIOERR_CANNOTEXPAND = 264,
  MMIOERR_CHUNKNOTFOUND = 265,
  MMIOERR_INVALIDFILE = 272,
};

// Flags.
constexpr std::uint32_t MMIO_READ = 0x0000;
constexpr std::uint32_t MMIO_ALLOCBUF = 0x00010000;
constexpr std::uint32_t MMIO_FINDCHUNK = 0x0010;
constexpr std::uint32_t MMIO_FINDRIFF = 0x0020;
constexpr std::uint32_t MMIO_FINDLIST = 0x0040;

struct MMCKINFO {
  FOURCC ckid;
  std::uint32_t cksize;
  FOURCC fccType;              // form or list type of a RIFF or LIST chunk
  std::uint32_t dwDataOffset;  // offset of the chunk's data from the start of the file
  std::uint32_t dwFlags;
};

using HMMIO = struct MmioFile*;

// path != nullptr: a file on disk (info may be null or receives the error); anything but a
// regular file is refused at once with MMIOERR_CANNOTOPEN, a FIFO never waited on.
// path == nullptr: the memory file that info describes. Null on failure, with info->wErrorRet.
HMMIO mmioOpen(const char* path, MMIOINFO* info, std::uint32_t flags);
MMRESULT mmioClose(HMMIO file, std::uint32_t flags);
// Searches forward from the current position, within parent when given. Fills ck and
// leaves the position at the start of the chunk's data (after the form type for RIFF/LIST).
MMRESULT mmioDescend(HMMIO file, MMCKINFO* ck, const MMCKINFO* parent, std::uint32_t flags);
// Moves to the end of the chunk (padded to an even size).
MMRESULT mmioAscend(HMMIO file, MMCKINFO* ck, std::uint32_t flags);
// Bytes read (0 at the end), or -1 on error.
std::int32_t mmioRead(HMMIO file, char* buffer, std::int32_t count);
// Moves to offset from origin (SEEK_SET, SEEK_CUR or SEEK_END) and returns the new
// position, or -1 (position unchanged) when the target lies before the start or past the end.
std::int32_t mmioSeek(HMMIO file, std::int32_t offset, int origin);

}  // namespace mmio
