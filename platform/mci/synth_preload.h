// SPDX-License-Identifier: MIT
// Loading the synthesizer and its soundfont ahead of time. A General MIDI soundfont takes a
// tenth of a second or more to load; done when the music is opened, it would hold up the
// window at that moment. A program that knows it will play music starts the load early, on a
// thread of its own, and the open then finds the synthesizer ready.
#pragma once

#include <memory>

#include "platform/mci/mci.h"
#include "platform/mci/synth_host.h"

namespace mci {

// Starts loading a synthesizer with SoundfontPath()'s soundfont; returns at once. Nothing to
// do while one is loading or waiting to be taken. UI thread.
void PreloadSynthesizer();

// Waits until a load started by PreloadSynthesizer has finished.
void WaitForPreload();

// The preloaded synthesizer when one was started for the soundfont named now (waiting for it
// if need be), else one loaded here. A failure is reported as the load ended:
// MCIERR_NO_SOUNDFONT also once on stderr, naming the soundfont and what to do. UI thread.
MCIERROR TakeSynthesizer(std::unique_ptr<SynthHost>* host);

}  // namespace mci
