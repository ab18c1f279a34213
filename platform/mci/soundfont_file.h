// SPDX-License-Identifier: MIT
// The soundfont is opened through our own file callbacks: a FIFO or device named as the
// soundfont is refused at once, also when FluidSynth opens the file again later to load the
// samples of a preset (dynamic sample loading, on the thread that renders).
#pragma once

#include <fluidsynth.h>

#include <string>

namespace mci {

// True for a regular file that begins as a SoundFont 2 file does ("RIFF", size, "sfbk").
bool IsSoundfontFile(const std::string& path);

// Puts a SoundFont 2 loader that opens files only through files::OpenRegularStream ahead of
// FluidSynth's own loaders. Call before the first soundfont is loaded; false on failure.
bool AddRegularFileLoader(fluid_synth_t* synth, fluid_settings_t* settings);

}  // namespace mci
