// SPDX-License-Identifier: MIT
#include "platform/mci/soundfont_file.h"

#include <cstdio>
#include <cstring>

#include "platform/files/regular_file.h"

namespace mci {
namespace {

void* OpenFile(const char* path) {
  return files::OpenRegularStream(path);
}

int ReadFile(void* buffer, fluid_long_long_t count, void* file) {
  if (count < 0) return FLUID_FAILED;
  const auto wanted = static_cast<std::size_t>(count);
  return std::fread(buffer, 1, wanted, static_cast<std::FILE*>(file)) == wanted ? FLUID_OK
                                                                                : FLUID_FAILED;
}

int SeekFile(void* file, fluid_long_long_t offset, int origin) {
  return fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), origin) == 0
             ? FLUID_OK
             : FLUID_FAILED;
}

fluid_long_long_t TellFile(void* file) {
  return ftello(static_cast<std::FILE*>(file));
}

int CloseFile(void* file) {
  return std::fclose(static_cast<std::FILE*>(file)) == 0 ? FLUID_OK : FLUID_FAILED;
}

}  // namespace

bool IsSoundfontFile(const std::string& path) {
  std::FILE* file = files::OpenRegularStream(path.c_str());
  if (file == nullptr) return false;
  char header[12];
  const bool whole = std::fread(header, 1, sizeof header, file) == sizeof header;
  std::fclose(file);
  return whole && std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "sfbk", 4) == 0;
}

bool AddRegularFileLoader(fluid_synth_t* synth, fluid_settings_t* settings) {
  fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
  if (loader == nullptr) return false;
  if (fluid_sfloader_set_callbacks(loader, OpenFile, ReadFile, SeekFile, TellFile, CloseFile) !=
      FLUID_OK) {
    delete_fluid_sfloader(loader);
    return false;
  }
  fluid_synth_add_sfloader(synth, loader);  // the synthesizer owns it from here on
  return true;
}

}  // namespace mci
