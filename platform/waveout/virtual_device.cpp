// SPDX-License-Identifier: MIT
#include "platform/waveout/virtual_device.h"

#include <algorithm>
#include <array>
#include <memory>

#include "platform/waveout/backend.h"

namespace wo {

class VirtualBackend;

namespace {

constexpr const char* kProductName = "Virtual wave output";

// The back end while installed; never destroyed at exit (the front end may still close a
// device of it then).
VirtualBackend*& Installed() {
  static VirtualBackend* installed = nullptr;
  return installed;
}

}  // namespace

class VirtualBackend final : public Backend {
 public:
  explicit VirtualBackend(std::uint32_t framesPerSecond) : framesPerSecond_(framesPerSecond) {}

  class Device final : public WaveOutDevice {
   public:
    Device(VirtualBackend& owner, const PCMWAVEFORMAT& f, msg::HWND window)
        : WaveOutDevice(f, window), owner_(owner) {}
    ~Device() override { owner_.open_ = nullptr; }
    MMRESULT Prepare(WAVEHDR* header) override {
      if (owner_.prepareCountdown_ > 0 && --owner_.prepareCountdown_ == 0) return MMSYSERR_NOMEM;
      return WaveOutDevice::Prepare(header);
    }
    MMRESULT Write(WAVEHDR* header) override {
      if (owner_.refuseWrites_) return MMSYSERR_ERROR;
      return WaveOutDevice::Write(header);
    }

   private:
    VirtualBackend& owner_;
  };

  std::uint32_t DeviceCount() override { return deviceCount_; }

  MMRESULT Capabilities(std::uint32_t, WAVEOUTCAPS* caps) override {
    FillCapabilities(caps, kProductName, capabilityChannels_, synchronous_ ? WAVECAPS_SYNC : 0);
    return MMSYSERR_NOERROR;
  }

  MMRESULT QueryFormat(std::uint32_t, const PCMWAVEFORMAT&) override {
    return refuseFormatQuery_ ? WAVERR_BADFORMAT : MMSYSERR_NOERROR;
  }

  MMRESULT Open(std::uint32_t, const PCMWAVEFORMAT& format, msg::HWND window,
                std::unique_ptr<WaveOutDevice>* device) override {
    if (refuseOpen_ || open_ != nullptr) return MMSYSERR_ALLOCATED;
    auto made = std::make_unique<Device>(*this, format, window);
    if (!made->stream.Ok()) return MMSYSERR_NOMEM;
    SetFrameFormat(format.nSamplesPerSec, format.nBlockAlign);
    open_ = made.get();
    *device = std::move(made);
    return MMSYSERR_NOERROR;
  }

  std::uint32_t NowMs() override { return static_cast<std::uint32_t>(nowMs_); }

  // Bytes of time (whole frames) that have passed by virtual time ms, not before the latest
  // change of format.
  std::uint64_t BytesAt(std::uint64_t ms) const {
    return anchorBytes_ + (ms - anchorMs_) * framesPerSecond_ / 1000 * frameBytes_;
  }
  // The earliest virtual time by which `bytes` bytes of time have passed.
  std::uint64_t MsWhen(std::uint64_t bytes) const {
    if (bytes <= anchorBytes_) return anchorMs_;
    const std::uint64_t frames = (bytes - anchorBytes_ + frameBytes_ - 1) / frameBytes_;
    return anchorMs_ + (frames * 1000 + framesPerSecond_ - 1) / framesPerSecond_;
  }

  void SetFrameFormat(std::uint32_t framesPerSecond, std::uint32_t frameBytes) {
    if (framesPerSecond == 0 || frameBytes == 0) return;
    if (framesPerSecond == framesPerSecond_ && frameBytes == frameBytes_) return;
    // Time is recorded up to now (Advance leaves it so); the new frames start on a frame.
    const std::uint64_t aligned = (playedTime_ + frameBytes - 1) / frameBytes * frameBytes;
    if (aligned > playedTime_) {
      const std::uint8_t pad[8] = {128, 128, 128, 128, 128, 128, 128, 128};
      Record(pad, static_cast<std::size_t>(aligned - playedTime_));
      playedTime_ = aligned;
    }
    anchorBytes_ = aligned;
    anchorMs_ = nowMs_;
    framesPerSecond_ = framesPerSecond;
    frameBytes_ = frameBytes;
  }

  void Advance(std::uint32_t ms, const std::function<void()>& pump) {
    const std::uint64_t end = nowMs_ + ms;
    for (;;) {
      PlayUpTo(BytesAt(nowMs_), pump);
      if (nowMs_ >= end) return;
      // Stop the clock where the block now playing ends, so its message comes on time.
      std::uint64_t next = end;
      if (open_ != nullptr) {
        if (const std::uint32_t left = open_->stream.BytesToBlockEnd(); left > 0) {
          next = std::clamp(MsWhen(playedTime_ + left), nowMs_ + 1, end);
        }
      }
      nowMs_ = next;
    }
  }

  std::uint32_t framesPerSecond_;
  std::uint32_t frameBytes_ = 1;
  std::uint64_t nowMs_ = 0;
  std::uint64_t anchorMs_ = 0;
  std::uint64_t anchorBytes_ = 0;
  std::uint64_t playedTime_ = 0;  // bytes of time already recorded
  std::vector<std::uint8_t> recording_;
  VirtualDevice::RecordingSink sink_;
  Device* open_ = nullptr;

  bool refuseOpen_ = false;
  int prepareCountdown_ = 0;
  bool refuseWrites_ = false;
  bool refuseFormatQuery_ = false;
  bool synchronous_ = false;
  std::uint16_t capabilityChannels_ = 2;
  std::uint32_t deviceCount_ = 1;

 private:
  // Records every byte of time up to `target` (whole frames); a block played to its end has
  // its message posted and the pump run before the next frame.
  void PlayUpTo(std::uint64_t target, const std::function<void()>& pump) {
    while (playedTime_ < target) {
      std::uint64_t n = std::min<std::uint64_t>(target - playedTime_, kChunk);
      if (open_ != nullptr) {
        if (const std::uint32_t left = open_->stream.BytesToBlockEnd(); left > 0) {
          n = std::min<std::uint64_t>(n, (left + frameBytes_ - 1) / frameBytes_ * frameBytes_);
        }
      }
      std::uint8_t* out = nullptr;
      if (sink_) {
        out = scratch_.data();
      } else {
        const std::size_t at = recording_.size();
        recording_.resize(at + n, 128);
        out = recording_.data() + at;
      }
      const auto count = static_cast<std::uint32_t>(n);
      const bool finished =
          open_ != nullptr && open_->stream.Consume(out, count).finishedBlocks > 0;
      if (open_ == nullptr && sink_) std::fill_n(out, count, std::uint8_t{128});
      if (sink_) sink_(out, count);
      playedTime_ += n;
      if (finished && pump) pump();
    }
  }

  void Record(const std::uint8_t* bytes, std::size_t n) {
    if (sink_) {
      sink_(bytes, n);
    } else {
      recording_.insert(recording_.end(), bytes, bytes + n);
    }
  }

  static constexpr std::uint64_t kChunk = 1u << 16;  // whole frames: a multiple of 2
  std::array<std::uint8_t, kChunk> scratch_{};
};

VirtualDevice& VirtualDevice::Install(std::uint32_t framesPerSecond) {
  static VirtualDevice device;
  VirtualBackend* previous = Installed();
  Installed() = new VirtualBackend(framesPerSecond == 0 ? 11025 : framesPerSecond);
  InstallBackend(Installed());  // closes a device still open on the previous one
  delete previous;
  return device;
}

void VirtualDevice::Uninstall() {
  VirtualBackend* previous = Installed();
  if (previous == nullptr) return;
  InstallBackend(nullptr);
  Installed() = nullptr;
  delete previous;
}

namespace {
// Every call after Uninstall is a harmless no-op.
VirtualBackend* Live() {
  return Installed();
}
const std::vector<std::uint8_t> kNoRecording;
}  // namespace

void VirtualDevice::Advance(std::uint32_t ms, const std::function<void()>& pump) {
  if (auto* b = Live()) b->Advance(ms, pump);
}
std::uint32_t VirtualDevice::NowMs() const {
  return Live() ? Live()->NowMs() : 0;
}
void VirtualDevice::SetFrameFormat(std::uint32_t framesPerSecond, std::uint32_t frameBytes) {
  if (auto* b = Live()) b->SetFrameFormat(framesPerSecond, frameBytes);
}
void VirtualDevice::SetRecordingSink(RecordingSink sink) {
  if (auto* b = Live()) b->sink_ = std::move(sink);
}
std::uint64_t VirtualDevice::RecordedBytes() const {
  return Live() ? Live()->playedTime_ : 0;
}
const std::vector<std::uint8_t>& VirtualDevice::Recording() const {
  return Live() ? Live()->recording_ : kNoRecording;
}
void VirtualDevice::RefuseOpen(bool refuse) {
  if (auto* b = Live()) b->refuseOpen_ = refuse;
}
void VirtualDevice::RefusePrepareNumber(int n) {
  if (auto* b = Live()) b->prepareCountdown_ = std::max(n, 0);
}
void VirtualDevice::RefuseWrites(bool refuse) {
  if (auto* b = Live()) b->refuseWrites_ = refuse;
}
void VirtualDevice::RefuseFormatQuery(bool refuse) {
  if (auto* b = Live()) b->refuseFormatQuery_ = refuse;
}
void VirtualDevice::SetSynchronous(bool sync) {
  if (auto* b = Live()) b->synchronous_ = sync;
}
void VirtualDevice::SetCapabilityChannels(std::uint16_t channels) {
  if (auto* b = Live()) b->capabilityChannels_ = channels;
}
void VirtualDevice::SetDeviceCount(std::uint32_t count) {
  if (auto* b = Live()) b->deviceCount_ = count;
}
bool VirtualDevice::IsOpen() const {
  return Live() && Live()->open_ != nullptr;
}
bool VirtualDevice::IsPaused() const {
  return IsOpen() && Live()->open_->stream.IsPaused();
}
int VirtualDevice::QueuedBlocks() const {
  return IsOpen() ? Live()->open_->stream.QueuedBlocks() : 0;
}
int VirtualDevice::PreparedHeaders() const {
  return IsOpen() ? Live()->open_->stream.PreparedHeaders() : 0;
}

}  // namespace wo
