// One open sequencer device: a checked song, a synthesizer, a player and the audio output.
//
// Threads: the audio driver's thread renders the synthesizer, which runs the player, which
// calls OnTick. OnTick reads only its EndWatch and posts one message when the song's last
// tick has played; everything else here runs on the UI thread. The driver is always stopped
// before the player or its EndWatch goes, so the player is never changed under the thread.
//
// The end is the song's last tick, not FluidSynth's "done", which comes about 3 s later.
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
#include "platform/mci/synth_host.h"
#include "platform/messages/messages.h"

namespace mci {

// What the audio thread needs to announce the end of one player's run.
struct EndWatch {
  msg::HWND window;  // receives `message` (wParam device, lParam generation)
  msg::UINT message;
  MCIDEVICEID device;
  std::uint32_t generation;  // which player of the device this watch belongs to
  std::uint32_t lastTick;
  std::atomic<bool> posted{false};  // written by the audio thread only
};

class Sequencer {
 public:
  // endWindow/endMessage: where the audio thread announces the end of the music.
  static MCIERROR Open(const std::string& path, MCIDEVICEID device, msg::HWND endWindow,
                       msg::UINT endMessage, std::unique_ptr<Sequencer>* sequencer);
  ~Sequencer();  // stops the music: the output goes first, then the player, then the synth
  Sequencer(const Sequencer&) = delete;
  Sequencer& operator=(const Sequencer&) = delete;

  // Plays on from the current position; nothing to do while playing or at the end.
  MCIERROR Play();
  // Stops and goes back to the start with a fresh player.
  MCIERROR SeekToStart();

  bool Playing() const { return started_ && CurrentTick() < song_.timing.LastTick(); }
  bool AtEnd() const { return started_ && CurrentTick() >= song_.timing.LastTick(); }
  std::uint32_t LengthMilliseconds() const { return song_.timing.LengthMilliseconds(); }
  std::uint32_t PositionMilliseconds() const;
  // Tells an end message of the current player from one left over from a replaced player.
  std::uint32_t Generation() const { return watch_->generation; }

 private:
  Sequencer(MidiSong song, std::unique_ptr<SynthHost> host);
  MCIERROR NewPlayer(std::uint32_t generation);
  std::uint32_t CurrentTick() const;
  static int OnTick(void* data, int tick);

  // Declared in the order of building; destroyed in reverse, output first.
  MidiSong song_;
  std::unique_ptr<SynthHost> host_;
  msg::HWND endWindow_ = 0;
  msg::UINT endMessage_ = 0;
  MCIDEVICEID device_ = 0;
  std::unique_ptr<EndWatch> watch_;
  PlayerPtr player_;
  std::unique_ptr<AudioOutput> output_;
  bool started_ = false;  // the current player was told to play
};

}  // namespace mci
