// SPDX-License-Identifier: MIT
// Starting SDL's audio the way every sound path of this program wants it (the mixer's SDL back
// end and the music's output share it): quiet, and without litter.
#pragma once

namespace wo {

// SDL_InitSubSystem(SDL_INIT_AUDIO), after three precautions taken once per process:
//  - SDL installs no signal handlers: SIGINT, SIGTERM and SIGHUP stay the program's own.
//  - ALSA's own error printing is silenced: with no sound card it writes a dozen lines to
//    stderr on every attempt; our callers report what failed in a line of their own.
//  - Unless SDL_AUDIODRIVER chooses, the sound-server driver is tried only when a PulseAudio
//    (or PipeWire) server can be listening: PULSE_SERVER is set, or its socket exists. Tried in
//    vain, the server's client library leaves a folder in /tmp and a link in ~/.config behind.
//  - Unless SDL_AUDIODRIVER chooses, SDL's PipeWire driver comes first where PipeWire plays the
//    desktop's sound (its socket is there and SDL finds an output on it): streams open faster
//    than through its PulseAudio server and start with the first sound.
// True when SDL's audio is up; pair it with SDL_QuitSubSystem(SDL_INIT_AUDIO).
bool StartSdlAudio();

}  // namespace wo
