// SPDX-License-Identifier: MIT
#include "platform/mci/sequencer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/mci/synth_preload.h"

namespace mci {
namespace {

// After the end, the output is idle once it has stayed this quiet (the synthesizer's dither
// stays far below) for a quarter of a second, or at the latest five seconds on.
constexpr int kQuietLevel = 16;  // -66 dBFS
constexpr double kQuietSeconds = 0.25;
constexpr double kLongestTailSeconds = 5.0;

// Posts, and tells whether to stop trying: a full queue is tried again next time, a window
// that is gone is not.
bool PostOrGiveUp(msg::HWND window, msg::UINT message, const EndWatch& watch) {
  return msg::PostMessage(window, message, watch.device, watch.generation) ||
         !msg::IsWindow(window);
}

}  // namespace

MCIERROR Sequencer::Open(const std::string& path, MCIDEVICEID device, msg::HWND endWindow,
                         msg::UINT endMessage, msg::UINT idleMessage,
                         std::unique_ptr<Sequencer>* sequencer) {
  sequencer->reset();
  std::optional<MidiSong> song;
  if (MCIERROR error = LoadMidiSong(path, &song)) return error;
  std::unique_ptr<SynthHost> host;
  if (MCIERROR error = TakeSynthesizer(&host)) return error;

  std::unique_ptr<Sequencer> made(new Sequencer(std::move(*song), std::move(host)));
  made->device_ = device;
  made->endWindow_ = endWindow;
  made->endMessage_ = endMessage;
  made->idleMessage_ = idleMessage;
  if (MCIERROR error = made->NewPlayer(1)) return error;
  // Taken now, not at play, so that a machine without sound fails the open.
  if (MCIERROR error = made->TakeOutput()) return error;
  *sequencer = std::move(made);
  return 0;
}

Sequencer::Sequencer(MidiSong song, std::unique_ptr<SynthHost> host)
    : song_(std::move(song)), host_(std::move(host)) {}

Sequencer::~Sequencer() {
  output_.reset();
  player_.reset();
}

MCIERROR Sequencer::NewPlayer(std::uint32_t generation) {
  // Only while no output runs: the old player and its watch may go at once. Notes the old
  // player left sounding would never get their note-off: silence them.
  if (player_ && started_) fluid_synth_system_reset(host_->Synth());
  player_.reset();
  watch_.reset(new EndWatch{endWindow_, endMessage_, idleMessage_, device_, generation,
                            song_.timing.LastTick(),
                            static_cast<std::uint32_t>(std::lround(host_->SampleRate()))});
  started_ = false;
  player_ = host_->NewPlayer(song_, &Sequencer::OnTick, watch_.get());
  return player_ ? 0 : MCIERR_SYNTH_FAILED;
}

MCIERROR Sequencer::TakeOutput() {
  if (output_) return 0;
  return AudioOutput::Open(host_->SampleRate(), &Sequencer::Render, this, &output_);
}

MCIERROR Sequencer::Play() {
  if (started_) return 0;
  if (!player_) {
    // An earlier seek could not make its player.
    if (MCIERROR error = NewPlayer(watch_->generation + 1)) return error;
  }
  if (MCIERROR error = TakeOutput()) return error;
  if (fluid_player_play(player_.get()) != FLUID_OK) return MCIERR_SYNTH_FAILED;
  started_ = true;
  return 0;
}

MCIERROR Sequencer::SeekToStart() {
  if (!started_ && player_) return 0;  // a player that never played stands at the start
  // FluidSynth's player cannot be rewound safely while its clock runs on the output's
  // thread, so the output stops and the player is made anew.
  output_.reset();
  return NewPlayer(watch_->generation + 1);
}

void Sequencer::ReleaseIdleOutput(std::uint32_t generation) {
  if (generation == watch_->generation) output_.reset();
}

std::uint32_t Sequencer::CurrentTick() const {
  if (!player_) return 0;
  return static_cast<std::uint32_t>(std::max(0, fluid_player_get_current_tick(player_.get())));
}

std::uint32_t Sequencer::PositionMilliseconds() const {
  return song_.timing.TickToMilliseconds(std::min(CurrentTick(), song_.timing.LastTick()));
}

int Sequencer::OnTick(void* data, int tick) {
  auto* watch = static_cast<EndWatch*>(data);
  if (tick < 0 || static_cast<std::uint32_t>(tick) < watch->lastTick) return FLUID_OK;
  if (watch->endPosted.load(std::memory_order_relaxed)) return FLUID_OK;
  if (PostOrGiveUp(watch->window, watch->endMessage, *watch)) {
    watch->endPosted.store(true, std::memory_order_relaxed);
  }
  return FLUID_OK;
}

void Sequencer::Render(void* self, std::int16_t* frames, int count) {
  auto* sequencer = static_cast<Sequencer*>(self);
  const int volume = MusicVolume();
  if (volume != sequencer->renderedVolume_) {
    sequencer->host_->SetVolume(volume);
    sequencer->renderedVolume_ = volume;
  }
  fluid_synth_write_s16(sequencer->host_->Synth(), count, frames, 0, 2, frames, 1, 2);
  // The gain reaches new notes at once but not the reverb of the old ones: silence is made
  // here, with the music still played on.
  if (volume == 0)
    std::memset(frames, 0, sizeof(std::int16_t) * 2 * static_cast<std::size_t>(count));

  EndWatch& watch = *sequencer->watch_;
  if (watch.idlePosted || !watch.endPosted.load(std::memory_order_relaxed)) return;
  int loudest = 0;
  for (int i = 0; i < 2 * count; ++i) loudest = std::max(loudest, std::abs(int{frames[i]}));
  const auto n = static_cast<std::uint64_t>(count);
  watch.framesSinceEnd += n;
  watch.quietFrames = loudest <= kQuietLevel ? watch.quietFrames + n : 0;
  if (watch.quietFrames >= kQuietSeconds * watch.sampleRate ||
      watch.framesSinceEnd >= kLongestTailSeconds * watch.sampleRate) {
    watch.idlePosted = PostOrGiveUp(watch.window, watch.idleMessage, watch);
  }
}

}  // namespace mci
