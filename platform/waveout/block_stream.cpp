// SPDX-License-Identifier: MIT
#include "platform/waveout/block_stream.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace wo {
namespace {

constexpr const char* kWindowClass = "WaveOutBlockDone";
constexpr msg::UINT kBlockFinished = MM_WOM_DONE;
constexpr msg::UINT kRunDry = 0x0401;  // the stream's own window only

// Streams by their hidden window; UI thread only. Never destroyed (see messages.cpp).
std::unordered_map<msg::HWND, BlockStream*>& Streams() {
  static auto* const streams = new std::unordered_map<msg::HWND, BlockStream*>;
  return *streams;
}

}  // namespace

BlockStream::BlockStream(HWAVEOUT owner, msg::HWND callbackWindow, std::uint32_t frameBytes)
    : owner_(owner),
      callbackWindow_(callbackWindow),
      frameBytes_(frameBytes == 0 ? 1 : frameBytes) {
  // Registered at every opening: a test may have reset the message layer meanwhile.
  if (!msg::RegisterClass(kWindowClass, &BlockStream::WindowProc) &&
      msg::GetLastError() != msg::ERROR_CLASS_ALREADY_EXISTS) {
    return;
  }
  window_ = msg::CreateWindow(kWindowClass, msg::WS_DISABLED);
  if (window_ != 0) Streams()[window_] = this;
}

BlockStream::~BlockStream() {
  if (window_ == 0) return;
  // Messages still queued for this stream are dropped with its window.
  msg::DestroyWindow(window_);
  Streams().erase(window_);
}

msg::LRESULT BlockStream::WindowProc(msg::HWND window, msg::UINT message, msg::WPARAM wParam,
                                     msg::LPARAM lParam) {
  if (message != kBlockFinished && message != kRunDry) {
    return msg::DefWindowProc(window, message, wParam, lParam);
  }
  auto it = Streams().find(window);
  if (it == Streams().end()) return 0;
  if (message == kRunDry) {
    it->second->OnIdle();
  } else {
    it->second->OnBlockFinished(static_cast<std::uint32_t>(wParam),
                                static_cast<std::uint32_t>(lParam));
  }
  return 0;
}

void BlockStream::NotifyWhenIdle(std::uint32_t dryBytes, std::function<void()> onIdle) {
  onIdle_ = std::move(onIdle);
  std::lock_guard guard(lock_);
  idleAfter_ = dryBytes;
}

// A write since the notice was posted starts a new spell: nothing is idle then.
void BlockStream::OnIdle() {
  {
    std::lock_guard guard(lock_);
    if (!idleTold_ || queue_.count > 0) return;
  }
  if (onIdle_) onIdle_();
}

void BlockStream::OnBlockFinished(std::uint32_t slotIndex, std::uint32_t sequence) {
  if (slotIndex >= slots_.size()) return;
  Slot& slot = slots_[slotIndex];
  WAVEHDR* const header = slot.header;
  if (header == nullptr) return;  // unprepared since
  if (slot.outstanding && slot.latestWrite == sequence) {
    slot.outstanding = false;
    header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  }
  // Forwarded also when stale (the header was reset and written again): the receiver
  // decides by WHDR_DONE, as with the platform's own extra messages after a reset.
  // Last: the receiver may close this device.
  if (callbackWindow_ != 0) {
    msg::SendMessage(callbackWindow_, MM_WOM_DONE, reinterpret_cast<msg::WPARAM>(owner_),
                     reinterpret_cast<msg::LPARAM>(header));
  }
}

BlockStream::Slot* BlockStream::SlotOf(WAVEHDR* header) {
  // reserved holds the slot number + 1; trusted only when that slot holds this header.
  const std::uintptr_t index = header->reserved - 1;
  if (index < slots_.size() && slots_[index].header == header) return &slots_[index];
  return nullptr;
}

MMRESULT BlockStream::Prepare(WAVEHDR* header) {
  if (header == nullptr || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
  if (SlotOf(header) != nullptr) return MMSYSERR_NOERROR;  // already prepared
  auto free =
      std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.header == nullptr; });
  if (free == slots_.end()) return MMSYSERR_NOMEM;
  free->header = header;
  free->samples.assign(header->dwBufferLength, 128);
  free->outstanding = false;
  header->reserved = static_cast<std::uintptr_t>(free - slots_.begin()) + 1;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT BlockStream::Unprepare(WAVEHDR* header) {
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  Slot* slot = SlotOf(header);
  if (slot == nullptr) return MMSYSERR_NOERROR;  // never prepared here: nothing to undo
  if (slot->outstanding) return WAVERR_STILLPLAYING;
  slot->header = nullptr;
  slot->samples = {};
  header->reserved = 0;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT BlockStream::Write(WAVEHDR* header) {
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  Slot* slot = SlotOf(header);
  if (slot == nullptr) return WAVERR_UNPREPARED;
  if (slot->outstanding) return WAVERR_STILLPLAYING;
  if (header->lpData == nullptr || header->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
  // Not outstanding, so not queued: the device thread does not read this slot now.
  // A block longer than at prepare time is the only case that allocates here.
  if (header->dwBufferLength > slot->samples.size()) slot->samples.resize(header->dwBufferLength);
  std::memcpy(slot->samples.data(), header->lpData, header->dwBufferLength);
  slot->latestWrite = nextSequence_++;
  slot->outstanding = true;
  header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  const Queued queued{slot->samples.data(), header->dwBufferLength,
                      static_cast<std::uint32_t>(slot - slots_.data()), slot->latestWrite};
  std::lock_guard guard(lock_);
  queue_.Push(queued);  // cannot be full: each slot is queued at most once
  dry_ = 0;
  idleTold_ = false;
  return MMSYSERR_NOERROR;
}

void BlockStream::Pause() {
  std::lock_guard guard(lock_);
  paused_ = true;
}

void BlockStream::Restart() {
  std::lock_guard guard(lock_);
  paused_ = false;
}

void BlockStream::Reset() {
  std::array<Finished, kMaxHeaders> returned;
  int count = 0;
  {
    std::lock_guard guard(lock_);
    for (; queue_.count > 0; queue_.Pop()) {
      returned[count++] = {queue_.Front().slot, queue_.Front().sequence};
    }
    frontOffset_ = 0;
    played_ = 0;
  }
  for (Slot& slot : slots_) {
    if (slot.header == nullptr || !slot.outstanding) continue;
    slot.outstanding = false;
    slot.header->dwFlags = (slot.header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  }
  PostFinished(returned.data(), count);
}

int BlockStream::PreparedHeaders() const {
  return static_cast<int>(
      std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.header; }));
}

bool BlockStream::IsPaused() const {
  std::lock_guard guard(lock_);
  return paused_;
}

int BlockStream::QueuedBlocks() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(queue_.count);
}

std::uint64_t BlockStream::PlayedBytes() const {
  std::lock_guard guard(lock_);
  return played_;
}

BlockStream::PlayedSnapshot BlockStream::Snapshot() const {
  std::lock_guard guard(lock_);
  return {played_, lastConsumedBlockBytes_};
}

std::uint32_t BlockStream::BytesToBlockEnd() const {
  std::lock_guard guard(lock_);
  if (paused_ || queue_.count == 0) return 0;
  return queue_.Front().length - frontOffset_;
}

BlockStream::Consumed BlockStream::Consume(std::uint8_t* out, std::uint32_t n) {
  std::array<Finished, decltype(unposted_)::kCapacity> finished;
  int finishedCount = 0;
  Consumed result{0, 0};
  bool tellIdle = false;
  {
    std::lock_guard guard(lock_);
    std::uint32_t done = 0;
    while (!paused_ && done < n && queue_.count > 0) {
      const Queued& front = queue_.Front();
      const std::uint32_t take = std::min(n - done, front.length - frontOffset_);
      std::memcpy(out + done, front.data + frontOffset_, take);
      done += take;
      frontOffset_ += take;
      if (frontOffset_ == front.length) {
        unposted_.Push({front.slot, front.sequence});  // full only if posts failed for long
        queue_.Pop();
        frontOffset_ = 0;
        ++result.finishedBlocks;
      }
    }
    std::memset(out + done, 128, n - done);
    // A frame cut short by the end of the queue was played out with silence.
    const std::uint32_t frames = std::min(n, (done + frameBytes_ - 1) / frameBytes_ * frameBytes_);
    played_ += frames;
    lastConsumedBlockBytes_ = frames;
    result.blockBytes = done;
    for (; unposted_.count > 0; unposted_.Pop()) finished[finishedCount++] = unposted_.Front();
    dry_ = queue_.count > 0 ? 0 : dry_ + (n - done);
    tellIdle = idleAfter_ > 0 && !idleTold_ && dry_ >= idleAfter_;
    idleTold_ = idleTold_ || tellIdle;
  }
  PostFinished(finished.data(), finishedCount);
  if (tellIdle && !msg::PostMessage(window_, kRunDry, 0, 0)) {
    std::lock_guard guard(lock_);
    idleTold_ = false;  // told at a later call, when the queue has room
  }
  return result;
}

void BlockStream::PostFinished(const Finished* finished, int count) {
  for (int i = 0; i < count; ++i) {
    if (msg::PostMessage(window_, kBlockFinished, finished[i].slot, finished[i].sequence)) {
      continue;
    }
    if (msg::GetLastError() != msg::ERROR_NOT_ENOUGH_QUOTA) continue;  // window gone: drop
    // The message queue is full: keep the rest for the next call.
    std::lock_guard guard(lock_);
    for (; i < count; ++i) unposted_.Push(finished[i]);
  }
}

}  // namespace wo
