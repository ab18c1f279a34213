// SPDX-License-Identifier: MIT
#include "platform/waveout/output_choice.h"

#include <cstring>

namespace wo {

OutputChoice ParseOutputChoice(const char* value) {
  OutputChoice choice;
  if (value == nullptr || *value == '\0' || std::strcmp(value, "sdl") == 0) return choice;
  if (std::strcmp(value, "null") == 0) {
    choice.kind = OutputChoice::kNull;
    return choice;
  }
  if (std::strncmp(value, "null:", 5) == 0 && value[5] != '\0') {
    choice.kind = OutputChoice::kNull;
    choice.wavPath = value + 5;
    return choice;
  }
  choice.warning = std::string("WAVEMIX_OUTPUT=\"") + value +
                   "\" names no wave output (use sdl, null or null:FILE.wav); using sdl";
  return choice;
}

}  // namespace wo
