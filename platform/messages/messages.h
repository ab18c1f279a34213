// Hidden windows with procedures and posted messages, drained on the UI thread.
//
// A window is a numbered handle (never reused), so a message posted to a window that has
// been destroyed meanwhile is simply dropped when it is drained: nothing is dereferenced.
// PostMessage may be called from any thread (audio back ends do); everything else runs on
// the UI thread.
#pragma once

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

constexpr std::uint32_t ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr std::uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr std::uint32_t ERROR_NOT_ENOUGH_QUOTA = 1816;  // the posted-message queue is full
constexpr std::uint32_t WS_DISABLED = 0x08000000;

// Registers a window class. False on failure, with the reason in GetLastError();
// a class that is already registered fails with ERROR_CLASS_ALREADY_EXISTS.
bool RegisterClass(const char* className, WndProc proc);
// Last error of this thread's latest failing call of this layer.
std::uint32_t GetLastError();

// Creates a hidden window of a registered class; 0 (and GetLastError) on failure.
HWND CreateWindow(const char* className, std::uint32_t style);
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's procedure at once (UI thread); 0 when the window does not exist.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the window; any thread, no allocation. False when the window does
// not exist or the queue is full.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// UI thread: delivers every message posted before the call, in posting order, to the
// procedures of windows that still exist. Returns the number delivered.
std::size_t DispatchPostedMessages();
bool HasPostedMessages();

// Called on the posting thread after every successful post, so a GUI event loop can be
// woken to drain the queue. It must not wait for the UI thread. May be replaced while other
// threads post: once SetWakeHook returns, the old hook is neither running nor called again
// (so clear it before what it wakes goes away). Not from within the hook itself.
void SetWakeHook(std::function<void()> hook);

// Test support: forget every class, window and queued message.
void ResetForTesting();

}  // namespace msg
