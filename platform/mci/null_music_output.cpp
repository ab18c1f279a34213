// SPDX-License-Identifier: MIT
// The music on no device: a thread renders in real time, every 5 ms what is due, and drops it
// or appends it to the recording.
//
// One recording per process, like the mixer's: it stays open from one output to the next, so
// a rewound song goes on in the same file; only one output at a time records (a second one
// open at once plays unrecorded).
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/mci/audio_output.h"
#include "platform/waveout/wav_file_writer.h"

namespace mci {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(5);
constexpr std::size_t kChunkFrames = 512;

// UI thread only (outputs are opened and deleted there).
struct Recording {
  std::optional<wo::WavFileWriter> writer;
  std::string path;
  bool busy = false;
};

// Never destroyed: a music output still open when statics go finishes the file first.
Recording& TheRecording() {
  static Recording* const recording = new Recording;
  return *recording;
}

// The samples go to the file as they are in memory.
static_assert(std::endian::native == std::endian::little, "WAV files hold little-endian samples");

wo::PCMWAVEFORMAT Stereo16(std::uint32_t rate) {
  return {wo::WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16};
}

class NullMusicOutput final : public AudioOutput {
 public:
  NullMusicOutput(double sampleRate, AudioOutput::RenderFunction render, void* context,
                  const std::string& recording)
      : rate_(static_cast<std::uint32_t>(std::lround(sampleRate))),
        render_(render),
        context_(context) {
    if (!recording.empty()) TakeRecording(recording);
    start_ = Clock::now();
    thread_ = std::thread([this] { Run(); });
  }

  ~NullMusicOutput() override {
    {
      std::lock_guard guard(lock_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (writer_ != nullptr) {  // the thread is gone: the file is ours again
      writer_->Finish();
      TheRecording().busy = false;
    }
  }

 private:
  void TakeRecording(const std::string& path) {
    Recording& recording = TheRecording();
    if (recording.busy) return;
    if (recording.path != path) {
      recording.writer.reset();
      recording.writer.emplace(path);
      recording.path = path;
    }
    if (!recording.writer->Begin(Stereo16(rate_))) return;
    recording.busy = true;
    writer_ = &*recording.writer;
  }

  void Run() {
    std::unique_lock guard(lock_);
    for (;;) {
      const bool stopping = wake_.wait_for(guard, kTick, [this] { return stop_; });
      guard.unlock();
      RenderUntil(Clock::now());
      guard.lock();
      if (stopping) return;
    }
  }

  void RenderUntil(Clock::time_point now) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
    const std::uint64_t due = static_cast<std::uint64_t>(ns) * rate_ / 1'000'000'000u;
    while (rendered_ < due) {
      const auto count = static_cast<int>(std::min<std::uint64_t>(due - rendered_, kChunkFrames));
      render_(context_, scratch_.data(), count);
      if (writer_ != nullptr) {
        writer_->Append(reinterpret_cast<const std::uint8_t*>(scratch_.data()),
                        static_cast<std::size_t>(count) * 4);
      }
      rendered_ += static_cast<std::uint64_t>(count);
    }
  }

  const std::uint32_t rate_;
  const AudioOutput::RenderFunction render_;
  void* const context_;
  wo::WavFileWriter* writer_ = nullptr;  // touched by the thread only while it runs
  Clock::time_point start_;
  std::uint64_t rendered_ = 0;  // frames, thread only
  std::array<std::int16_t, kChunkFrames * 2> scratch_{};
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenNullMusicOutput(double sampleRate,
                                                 AudioOutput::RenderFunction render, void* context,
                                                 const std::string& recording) {
  return std::make_unique<NullMusicOutput>(sampleRate, render, context, recording);
}

}  // namespace mci
