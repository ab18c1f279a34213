// SPDX-License-Identifier: MIT
// Reading WAVEMIX_OUTPUT: which back end the wave-output layer uses.
#pragma once

#include <string>

namespace wo {

struct OutputChoice {
  enum Kind { kSdl, kNull } kind = kSdl;
  std::string wavPath;  // null:PATH.wav
  std::string warning;  // set for a value that names no back end (sdl is used)
};

// value may be null (variable unset).
OutputChoice ParseOutputChoice(const char* value);

}  // namespace wo
