// SPDX-License-Identifier: MIT
#include "platform/mci/midi_song.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "platform/files/regular_file.h"

namespace mci {
namespace {

// Far beyond any real song; keeps a wrong file from being read whole into memory.
constexpr std::uintmax_t kMaxMidiFileSize = 16u << 20;

}  // namespace

MCIERROR LoadMidiSong(const std::string& path, std::optional<MidiSong>* song) {
  song->reset();
  // A FIFO, device or folder is refused without waiting on it.
  std::FILE* file = files::OpenRegularStream(path.c_str());
  if (file == nullptr) return MCIERR_FILE_NOT_FOUND;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);
  struct stat info {};
  if (::fstat(fileno(file), &info) != 0) return MCIERR_FILE_NOT_FOUND;
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > kMaxMidiFileSize) return MCIERR_INVALID_FILE;

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return MCIERR_FILE_NOT_FOUND;

  std::optional<MidiTiming> timing = MidiTiming::Scan(bytes.data(), bytes.size());
  if (!timing) return MCIERR_INVALID_FILE;
  song->emplace(MidiSong{std::move(bytes), *timing});
  return 0;
}

}  // namespace mci
