// SPDX-License-Identifier: MIT
// gen-music OUTFILE: writes the finale's music as a Standard MIDI File.

#include <cstdio>
#include <exception>

#include "finale_score.h"
#include "midi_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTFILE.mid\n", argv[0]);
    return 2;
  }
  try {
    if (!WriteMidiFile(argv[1], kTicksPerQuarter, ComposeFinale())) {
      std::perror(argv[1]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
