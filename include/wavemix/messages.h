// SPDX-License-Identifier: MIT
// The part of the message layer a program needs to use the mixer: hidden windows with
// procedures (a notify window receives MM_WOM_DONE when a play request has finished) and the
// posted-message queue that the program drains on its UI thread.
//
// Devices post their block-done messages from their own threads; nothing is delivered until
// the UI thread calls DispatchPostedMessages. A program's event loop waits on a WakeFd (or a
// hook of its own, SetWakeHook) and drains the queue when it wakes.
#pragma once

#include <wavemix/export.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace msg {

using HWND = std::uintptr_t;  // 0 = no window
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WndProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Values of GetLastError.
constexpr std::uint32_t ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr std::uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr std::uint32_t ERROR_NOT_ENOUGH_QUOTA = 1816;  // the posted-message queue is full

// Registers a window class. False on failure, with the reason in GetLastError();
// a class that is already registered fails with ERROR_CLASS_ALREADY_EXISTS.
WAVEMIX_API bool RegisterClass(const char* className, WndProc proc);
// Last error of this thread's latest failing call of this layer.
WAVEMIX_API std::uint32_t GetLastError();

// Creates a hidden window of a registered class; 0 (and GetLastError) on failure. Handles
// are never reused, so a message for a window destroyed meanwhile is dropped, never delivered.
WAVEMIX_API HWND CreateWindow(const char* className, std::uint32_t style);
WAVEMIX_API bool DestroyWindow(HWND window);
WAVEMIX_API LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// UI thread: delivers every message posted before the call, in posting order, to the
// procedures of windows that still exist. Returns the number delivered. An exception that
// leaves a procedure leaves this call too; the messages behind it stay queued.
WAVEMIX_API std::size_t DispatchPostedMessages();
WAVEMIX_API bool HasPostedMessages();

// Called on the posting thread after every successful post, so a GUI event loop can be
// woken to drain the queue. It must not wait for the UI thread. May be replaced while other
// threads post: once SetWakeHook returns, the old hook is neither running nor called again
// (so clear it before what it wakes goes away). It replaces a WakeFd's hook too, for good.
// Not from within the hook itself.
WAVEMIX_API void SetWakeHook(std::function<void()> hook);

// A file descriptor that becomes readable when messages are posted, for an event loop built
// on poll, select or epoll. It is the wake hook from its construction; one burst of posts
// costs one write. WakeFds stack: a newer one takes over, and destroying it gives the wake-up
// back to the hook in place before it (an older WakeFd, or the hook of SetWakeHook). UI
// thread:
//   poll on Fd() for reading; when readable: Acknowledge(), then DispatchPostedMessages().
class WAVEMIX_API WakeFd {
 public:
  // Throws std::system_error when the system gives no descriptor. Messages already queued
  // make the descriptor readable at once.
  WakeFd();
  // Withdraws its hook, bringing back the one it replaced (readable at once if messages
  // wait), and closes the descriptor.
  ~WakeFd();
  WakeFd(const WakeFd&) = delete;
  WakeFd& operator=(const WakeFd&) = delete;

  int Fd() const { return fd_; }
  // Before a drain: the descriptor stops being readable, and any post from now on makes it
  // readable again (what was posted before is delivered by the drain that follows).
  void Acknowledge();
  // Makes the descriptor readable, e.g. when a drain stopped at an exception with messages
  // left behind. Any thread.
  void Signal();

 private:
  int fd_;
  std::atomic<bool> signalled_{false};  // a write is pending that no drain has taken yet
};

}  // namespace msg
