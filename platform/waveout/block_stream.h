// SPDX-License-Identifier: MIT
// The blocks of one open device: prepared headers, the queue of written blocks, and the
// "block finished" messages. Every back end moves its bytes through one of these.
//
// The caller's WAVEHDRs are touched only on the UI thread. Write copies the samples into a
// buffer owned by the header's slot (allocated at prepare), so the device thread reads only
// memory of this stream. When the device thread has played a block it posts a message to the
// stream's own hidden window, carrying the slot and the write's sequence number; dispatched
// on the UI thread, that message sets WHDR_DONE — only if the header's latest write is still
// the one that finished and not yet marked done — and then hands MM_WOM_DONE (wParam the
// device, lParam the header) to the caller's callback window. Reset marks every outstanding
// write done at once; each of them still gets its message.
//
// The stream plays in whole frames of the open format: a block that ends inside a frame with
// nothing queued behind it has the frame completed with silence, so the next write (or the
// first after a reset) starts on a frame and the two channels of a stereo stream never swap.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/wave_out.h"

namespace wo {

class BlockStream {
 public:
  static constexpr int kMaxHeaders = 64;  // prepared headers per device

  BlockStream(HWAVEOUT owner, msg::HWND callbackWindow, std::uint32_t frameBytes = 1);
  ~BlockStream();
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;
  bool Ok() const { return window_ != 0; }  // false when its hidden window could not be made

  // UI thread.
  MMRESULT Prepare(WAVEHDR* header);
  MMRESULT Unprepare(WAVEHDR* header);
  MMRESULT Write(WAVEHDR* header);
  void Pause();
  void Restart();
  void Reset();
  int PreparedHeaders() const;
  // Once the queue has run dry for dryBytes (consumed as silence since the last block byte,
  // paused or not), onIdle runs on the UI thread: once a dry spell, and only while nothing
  // has been written since. Set before the device thread consumes.
  void NotifyWhenIdle(std::uint32_t dryBytes, std::function<void()> onIdle);

  // Any thread.
  bool IsPaused() const;
  int QueuedBlocks() const;           // written and not yet played to the end
  std::uint64_t PlayedBytes() const;  // whole frames of block bytes played since open or reset
  // PlayedBytes together with what the latest Consume took from blocks: a device with a
  // buffer of its own tells from these how much of it is still unheard. A reset keeps the
  // latter, since the device's buffer still plays it.
  struct PlayedSnapshot {
    std::uint64_t played;
    std::uint32_t lastConsumedBlockBytes;
  };
  PlayedSnapshot Snapshot() const;

  // The device thread (the UI thread for the virtual device): fills out with the next n
  // bytes (whole frames) — queued samples, then 128 when the queue runs dry or the stream is
  // paused — and posts "block finished" for every block played to its end.
  struct Consumed {
    std::uint32_t blockBytes;  // bytes that came from blocks; they come first in out
    int finishedBlocks;
  };
  Consumed Consume(std::uint8_t* out, std::uint32_t n);
  // Bytes left in the block now playing; 0 when paused or dry.
  std::uint32_t BytesToBlockEnd() const;

 private:
  struct Slot {
    WAVEHDR* header = nullptr;  // null: slot free
    std::vector<std::uint8_t> samples;
    std::uint32_t latestWrite = 0;
    bool outstanding = false;  // written, not yet marked done
  };
  struct Queued {
    const std::uint8_t* data;
    std::uint32_t length;
    std::uint32_t slot;
    std::uint32_t sequence;
  };
  struct Finished {
    std::uint32_t slot;
    std::uint32_t sequence;
  };
  template <typename T, std::size_t N>
  struct Ring {
    static constexpr std::size_t kCapacity = N;
    std::array<T, N> items{};
    std::size_t head = 0, count = 0;
    bool Push(const T& item) {
      if (count == N) return false;
      items[(head + count++) % N] = item;
      return true;
    }
    T& Front() { return items[head]; }
    const T& Front() const { return items[head]; }
    void Pop() { head = (head + 1) % N, --count; }
  };

  static msg::LRESULT WindowProc(msg::HWND, msg::UINT, msg::WPARAM, msg::LPARAM);
  Slot* SlotOf(WAVEHDR* header);
  void OnBlockFinished(std::uint32_t slot, std::uint32_t sequence);
  void OnIdle();
  void PostFinished(const Finished* finished, int count);

  const HWAVEOUT owner_;
  const msg::HWND callbackWindow_;
  const std::uint32_t frameBytes_;
  msg::HWND window_ = 0;

  // UI thread only.
  std::array<Slot, kMaxHeaders> slots_{};
  std::uint32_t nextSequence_ = 1;
  std::function<void()> onIdle_;

  // Shared with the device thread.
  mutable std::mutex lock_;
  Ring<Queued, kMaxHeaders> queue_;
  std::uint32_t frontOffset_ = 0;
  bool paused_ = false;
  std::uint64_t played_ = 0;
  std::uint32_t lastConsumedBlockBytes_ = 0;
  Ring<Finished, 2 * kMaxHeaders> unposted_;  // finished, waiting for room in the message queue
  std::uint32_t idleAfter_ = 0;               // 0: no idle notice
  std::uint64_t dry_ = 0;                     // silence consumed since the last block byte
  bool idleTold_ = false;                     // the notice of this dry spell is posted
};

}  // namespace wo
