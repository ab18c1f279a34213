#include "platform/mci/sequencer.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace mci {

MCIERROR Sequencer::Open(const std::string& path, MCIDEVICEID device, msg::HWND endWindow,
                         msg::UINT endMessage, std::unique_ptr<Sequencer>* sequencer) {
  sequencer->reset();
  std::optional<MidiSong> song;
  if (MCIERROR error = LoadMidiSong(path, &song)) return error;
  std::unique_ptr<SynthHost> host;
  if (MCIERROR error = SynthHost::Create(&host)) return error;

  std::unique_ptr<Sequencer> made(new Sequencer(std::move(*song), std::move(host)));
  made->device_ = device;
  made->endWindow_ = endWindow;
  made->endMessage_ = endMessage;
  if (MCIERROR error = made->NewPlayer(1)) return error;
  // Taken now, not at play, so that a machine without sound fails the open.
  made->output_ = AudioOutput::Open(made->host_->Settings(), made->host_->Synth());
  if (!made->output_) return MCIERR_NO_AUDIO_DEVICE;
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
  // Only while no output runs: the old player and its watch may go at once.
  player_.reset();
  watch_.reset(new EndWatch{endWindow_, endMessage_, device_, generation, song_.timing.LastTick()});
  started_ = false;
  player_ = host_->NewPlayer(song_, &Sequencer::OnTick, watch_.get());
  return player_ ? 0 : MCIERR_SYNTH_FAILED;
}

MCIERROR Sequencer::Play() {
  if (started_) return 0;
  if (!player_) {
    // An earlier seek could not make its player.
    output_.reset();
    if (MCIERROR error = NewPlayer(watch_->generation + 1)) return error;
  }
  if (!output_) {
    output_ = AudioOutput::Open(host_->Settings(), host_->Synth());
    if (!output_) return MCIERR_NO_AUDIO_DEVICE;
  }
  if (fluid_player_play(player_.get()) != FLUID_OK) return MCIERR_SYNTH_FAILED;
  started_ = true;
  return 0;
}

MCIERROR Sequencer::SeekToStart() {
  if (!started_ && player_) return 0;  // a player that never played stands at the start
  // FluidSynth's player cannot be rewound safely while its clock runs on the audio thread,
  // so the output stops and the player is made anew.
  output_.reset();
  if (MCIERROR error = NewPlayer(watch_->generation + 1)) return error;
  output_ = AudioOutput::Open(host_->Settings(), host_->Synth());
  return output_ ? 0 : MCIERR_NO_AUDIO_DEVICE;
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
  if (watch->posted.load(std::memory_order_relaxed)) return FLUID_OK;
  // A full queue is tried again at the next tick; a window that is gone is not.
  if (msg::PostMessage(watch->window, watch->message, watch->device, watch->generation) ||
      !msg::IsWindow(watch->window)) {
    watch->posted.store(true, std::memory_order_relaxed);
  }
  return FLUID_OK;
}

}  // namespace mci
