// SPDX-License-Identifier: MIT
// WAVEMIX_OUTPUT=null[:PATH.wav]: one silent device that plays in real time on a thread of
// its own, for headless runs. With a path it records what it plays, in the opened format.
//
// The recording holds one byte per byte of real time, as the virtual device's does: the
// samples played, or 128 while the device runs dry or is paused, and 128 for the time it
// stays closed between two openings of the same format. An opening in another format
// starts the file afresh.
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/waveout/backend.h"
#include "platform/waveout/wav_file_writer.h"

namespace wo {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kProductName = "Null wave output";
constexpr auto kTick = std::chrono::milliseconds(5);

// Whole frames of the format that fit in d.
std::uint64_t BytesIn(Clock::duration d, const PCMWAVEFORMAT& format) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
  if (ns <= 0) return 0;
  // Whole seconds apart, so a run of days does not overflow.
  const auto whole = static_cast<std::uint64_t>(ns) / 1'000'000'000u;
  const auto rest = static_cast<std::uint64_t>(ns) % 1'000'000'000u;
  const std::uint64_t frames =
      whole * format.nSamplesPerSec + rest * format.nSamplesPerSec / 1'000'000'000u;
  return frames * format.nBlockAlign;
}

// Whether the one device is open, and since when it is closed. UI thread only.
struct Occupancy {
  bool busy = false;
  std::optional<Clock::time_point> closedAt;
};

class NullDevice final : public WaveOutDevice {
 public:
  NullDevice(const PCMWAVEFORMAT& f, msg::HWND window, WavFileWriter* recorder,
             Occupancy* occupancy)
      : WaveOutDevice(f, window), recorder_(recorder), occupancy_(occupancy) {
    occupancy_->busy = true;
    occupancy_->closedAt.reset();
    start_ = Clock::now();
    thread_ = std::thread([this] { Run(); });
  }

  ~NullDevice() override {
    {
      std::lock_guard guard(lock_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    // The thread is gone: the recorder is ours again.
    if (recorder_ != nullptr) recorder_->Finish();
    occupancy_->busy = false;
    occupancy_->closedAt = Clock::now();
  }

 private:
  void Run() {
    std::unique_lock guard(lock_);
    for (;;) {
      const bool stopping = wake_.wait_for(guard, kTick, [this] { return stop_; });
      guard.unlock();
      PlayUntil(Clock::now());  // also the last stretch up to the close
      guard.lock();
      if (stopping) return;
    }
  }

  void PlayUntil(Clock::time_point now) {
    const std::uint64_t due = BytesIn(now - start_, format);
    while (played_ < due) {
      const auto n =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(due - played_, scratch_.size()));
      stream.Consume(scratch_.data(), n);
      if (recorder_ != nullptr) {
        recorder_->Append(scratch_.data(), n);
        if (recorder_->LimitReached() && !limitReported_) {
          limitReported_ = true;
          std::fprintf(stderr,
                       "wave output: the recording reached the 4 GiB limit of a WAV file; "
                       "recording stops\n");
        }
      }
      played_ += n;
    }
  }

  WavFileWriter* const recorder_;  // touched by the device thread only while it runs
  Occupancy* const occupancy_;
  Clock::time_point start_;
  std::uint64_t played_ = 0;                  // bytes of time, device thread only
  bool limitReported_ = false;                // device thread only
  std::array<std::uint8_t, 4096> scratch_{};  // whole frames in mono and stereo
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

class NullBackend final : public Backend {
 public:
  explicit NullBackend(const char* wavPath) {
    if (wavPath != nullptr && *wavPath != '\0') recorder_.emplace(wavPath);
  }

  std::uint32_t DeviceCount() override { return 1; }

  MMRESULT Capabilities(std::uint32_t, WAVEOUTCAPS* caps) override {
    FillCapabilities(caps, kProductName, 2, 0);
    return MMSYSERR_NOERROR;
  }

  MMRESULT QueryFormat(std::uint32_t, const PCMWAVEFORMAT&) override { return MMSYSERR_NOERROR; }

  MMRESULT Open(std::uint32_t, const PCMWAVEFORMAT& format, msg::HWND window,
                std::unique_ptr<WaveOutDevice>* device) override {
    if (occupancy_.busy) return MMSYSERR_ALLOCATED;
    WavFileWriter* recorder = nullptr;
    if (recorder_ && recorder_->Begin(format)) {
      if (occupancy_.closedAt) {
        recorder_->AppendSilence(BytesIn(Clock::now() - *occupancy_.closedAt, format));
      }
      recorder = &*recorder_;
    }
    auto made = std::make_unique<NullDevice>(format, window, recorder, &occupancy_);
    if (!made->stream.Ok()) return MMSYSERR_NOMEM;
    *device = std::move(made);
    return MMSYSERR_NOERROR;
  }

  std::uint32_t NowMs() override { return SteadyMs(); }

 private:
  std::optional<WavFileWriter> recorder_;
  Occupancy occupancy_;
};

}  // namespace

std::unique_ptr<Backend> MakeNullBackend(const char* wavPath) {
  return std::make_unique<NullBackend>(wavPath);
}

}  // namespace wo
