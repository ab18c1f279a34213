#include "platform/mci/midi_song.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace mci {
namespace {

// Far beyond any real song; keeps a wrong file from being read whole into memory.
constexpr std::uintmax_t kMaxMidiFileSize = 16u << 20;

}  // namespace

MCIERROR LoadMidiSong(const std::string& path, std::optional<MidiSong>* song) {
  song->reset();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return MCIERR_FILE_NOT_FOUND;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return MCIERR_FILE_NOT_FOUND;
  if (size > kMaxMidiFileSize) return MCIERR_INVALID_FILE;

  std::ifstream in(path, std::ios::binary);
  if (!in) return MCIERR_FILE_NOT_FOUND;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return MCIERR_FILE_NOT_FOUND;

  std::optional<MidiTiming> timing = MidiTiming::Scan(bytes.data(), bytes.size());
  if (!timing) return MCIERR_INVALID_FILE;
  song->emplace(MidiSong{std::move(bytes), *timing});
  return 0;
}

}  // namespace mci
