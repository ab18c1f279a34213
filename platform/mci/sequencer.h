// SPDX-License-Identifier: MIT
// One open sequencer device: a checked song, a synthesizer, a player and the audio output.
//
// Threads: the output's thread runs Render, which renders the synthesizer, which runs the
// player, which calls OnTick. Those two read and write only the current EndWatch and post
// messages; everything else here runs on the UI thread. The output is always stopped before
// the player or its EndWatch goes, so neither is changed under the output's thread.
//
// The end is the song's last tick, not FluidSynth's "done", which comes about 3 s later. Once
// the music has ended and its last notes have died away, the output reports itself idle and
// the device lets it go: no audio stream stays open on silence. Seeking or closing lets it go
// at once; the next play takes it again.
//
// Position and mode are read from the player's own tick counter, so they are right whether
// or not the end message has been drained yet.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/mci/audio_output.h"
#include "platform/mci/mci.h"
#include "platform/mci/midi_song.h"
#include "platform/mci/music_volume.h"
#include "platform/mci/synth_host.h"
#include "platform/messages/messages.h"

namespace mci {

// Where the output's thread announces the end of one player's run, and then that the output
// has gone quiet. Both messages carry wParam device, lParam generation.
struct EndWatch {
  msg::HWND window;
  msg::UINT endMessage;
  msg::UINT idleMessage;
  MCIDEVICEID device;
  std::uint32_t generation;  // which player of the device this watch belongs to
  std::uint32_t lastTick;
  std::uint32_t sampleRate;
  // The output's thread only.
  std::atomic<bool> endPosted{false};
  bool idlePosted = false;
  std::uint64_t framesSinceEnd = 0;
  std::uint64_t quietFrames = 0;
};

class Sequencer {
 public:
  // endWindow gets endMessage at the end of the music and idleMessage when the output may go.
  static MCIERROR Open(const std::string& path, MCIDEVICEID device, msg::HWND endWindow,
                       msg::UINT endMessage, msg::UINT idleMessage,
                       std::unique_ptr<Sequencer>* sequencer);
  ~Sequencer();  // stops the music: the output goes first, then the player, then the synth
  Sequencer(const Sequencer&) = delete;
  Sequencer& operator=(const Sequencer&) = delete;

  // Plays on from the current position, taking the output again if it was let go; nothing to
  // do while playing or at the end.
  MCIERROR Play();
  // Stops, lets the output go and goes back to the start with a fresh player.
  MCIERROR SeekToStart();
  // The idle message of `generation` arrived: lets the output go if that run is still current.
  void ReleaseIdleOutput(std::uint32_t generation);

  bool Playing() const { return started_ && CurrentTick() < song_.timing.LastTick(); }
  bool AtEnd() const { return started_ && CurrentTick() >= song_.timing.LastTick(); }
  std::uint32_t LengthMilliseconds() const { return song_.timing.LengthMilliseconds(); }
  std::uint32_t PositionMilliseconds() const;
  // Tells an end message of the current player from one left over from a replaced player.
  std::uint32_t Generation() const { return watch_->generation; }

 private:
  Sequencer(MidiSong song, std::unique_ptr<SynthHost> host);
  MCIERROR NewPlayer(std::uint32_t generation);
  MCIERROR TakeOutput();
  std::uint32_t CurrentTick() const;
  static int OnTick(void* data, int tick);
  static void Render(void* self, std::int16_t* frames, int count);

  // Declared in the order of building; destroyed in reverse, output first.
  MidiSong song_;
  std::unique_ptr<SynthHost> host_;
  msg::HWND endWindow_ = 0;
  msg::UINT endMessage_ = 0;
  msg::UINT idleMessage_ = 0;
  MCIDEVICEID device_ = 0;
  std::unique_ptr<EndWatch> watch_;
  PlayerPtr player_;
  std::unique_ptr<AudioOutput> output_;
  bool started_ = false;                   // the current player was told to play
  int renderedVolume_ = kFullMusicVolume;  // the output's thread only: the level last applied
};

}  // namespace mci
