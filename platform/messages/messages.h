// SPDX-License-Identifier: MIT
// Hidden windows with procedures and posted messages, drained on the UI thread.
//
// A window is a numbered handle (never reused), so a message posted to a window that has
// been destroyed meanwhile is simply dropped when it is drained: nothing is dereferenced.
// PostMessage may be called from any thread (audio back ends do); everything else runs on
// the UI thread. What a program using the mixer sees of this layer is in the public header;
// the rest serves the mixer, its devices and the tests.
#pragma once

#include "wavemix/messages.h"

namespace msg {

constexpr std::uint32_t WS_DISABLED = 0x08000000;

bool IsWindow(HWND window);

// Calls the window's procedure at once (UI thread); 0 when the window does not exist.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the window; any thread, no allocation. False when the window does
// not exist or the queue is full.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WakeFd's bookkeeping (UI thread): the newest WakeFd alive is the wake hook; when it goes,
// the one made before it, or the hook in place before the first, comes back.
void PushWakeFd(WakeFd* fd);
void RemoveWakeFd(WakeFd* fd);

// Test support: forget every class, window and queued message.
void ResetForTesting();

}  // namespace msg
