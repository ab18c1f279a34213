// SPDX-License-Identifier: MIT
// The audio device that live music plays on. It follows WAVEMIX_OUTPUT, as the mixer does, so
// the whole program has one audio path:
//   unset or "sdl"   SDL2's default output (PipeWire, PulseAudio or ALSA, as SDL finds them)
//                    with a buffer of 8192 frames, 186 ms at 44100 Hz
//   "null"           silent, in real time, on a thread of its own
//   "null:PATH.wav"  the same, recording 16-bit stereo to PATH with ".music" before its
//                    extension (/tmp/out.wav -> /tmp/out.music.wav); the mixer records to PATH
// An output pulls interleaved 16-bit stereo frames from its render function on a thread of
// its own, from the open on; deleting the output stops that thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/mci/mci.h"

namespace mci {

class AudioOutput {
 public:
  // Runs on the output's thread with room for `count` frames.
  using RenderFunction = void (*)(void* context, std::int16_t* frames, int count);

  // MCIERR_NO_AUDIO_DEVICE when the device cannot be opened (reported once on stderr).
  static MCIERROR Open(double sampleRate, RenderFunction render, void* context,
                       std::unique_ptr<AudioOutput>* output);
  virtual ~AudioOutput() = default;
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

 protected:
  AudioOutput() = default;
};

// Where the music is recorded when the mixer records to `mixerRecording`.
std::string MusicRecordingPath(const std::string& mixerRecording);

// The two kinds, for Open. Null on failure.
std::unique_ptr<AudioOutput> OpenSdlMusicOutput(double sampleRate,
                                                AudioOutput::RenderFunction render, void* context);
std::unique_ptr<AudioOutput> OpenNullMusicOutput(double sampleRate,
                                                 AudioOutput::RenderFunction render, void* context,
                                                 const std::string& recording);

}  // namespace mci
