// SPDX-License-Identifier: MIT
// Records whose address is a handle come from here. Addresses are handed out once: the
// heap would give a freed record's address to the next record of its size, and a caller
// still holding the old handle would then reach the new session or wave. A released record
// costs its size for the rest of the program, a few hundred bytes per session or wave.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "wavemix/internal.h"

namespace wavemix {
namespace {

constexpr std::size_t kChunkBytes = 16 * 1024;

struct Arena {
  std::vector<std::unique_ptr<std::byte[]>> chunks;
  std::size_t used = 0;
  std::size_t capacity = 0;
};

// Never destroyed: a handle may still be checked while the program exits.
Arena& TheArena() {
  static Arena* const arena = new Arena;
  return *arena;
}

}  // namespace

void* AllocateHandleRecord(std::size_t size) {
  constexpr std::size_t align = alignof(std::max_align_t);
  size = (size + align - 1) / align * align;
  Arena& arena = TheArena();
  if (size > arena.capacity - arena.used) {
    const std::size_t capacity = size > kChunkBytes ? size : kChunkBytes;
    std::unique_ptr<std::byte[]> chunk(new (std::nothrow) std::byte[capacity]());
    if (chunk == nullptr) return nullptr;
    try {
      arena.chunks.push_back(std::move(chunk));
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    arena.used = 0;
    arena.capacity = capacity;
  }
  void* record = arena.chunks.back().get() + arena.used;
  arena.used += size;
  return record;
}

void ReleaseHandleRecord(void* record, std::size_t size) {
  if (record != nullptr) std::memset(record, 0, size);
}

}  // namespace wavemix
