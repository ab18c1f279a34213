// SPDX-License-Identifier: MIT
// Window registry and the posted-message queue.
//
// Classes and windows change only on the UI thread, but PostMessage runs on audio threads
// too, so both tables sit behind one mutex. Nothing is called while it is held: procedures
// and the wake hook run after the lock is released. Posting only writes into a ring of fixed
// capacity, so it never allocates.
#include "platform/messages/messages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace msg {
namespace {

struct PostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Generous: devices post one message per finished block and the mixer a few per request.
constexpr std::size_t kQueueCapacity = 4096;

class PostedQueue {
 public:
  bool Push(const PostedMessage& m) {
    if (count_ == kQueueCapacity) return false;
    ring_[(head_ + count_) % kQueueCapacity] = m;
    ++count_;
    return true;
  }
  bool Pop(PostedMessage* m) {
    if (count_ == 0) return false;
    *m = ring_[head_];
    head_ = (head_ + 1) % kQueueCapacity;
    --count_;
    return true;
  }
  std::size_t Size() const { return count_; }
  void Clear() { head_ = count_ = 0; }

 private:
  std::array<PostedMessage, kQueueCapacity> ring_{};
  std::size_t head_ = 0;
  std::size_t count_ = 0;
};

struct State {
  std::mutex lock;
  std::map<std::string, WndProc> classes;  // keyed by lower-case name: names ignore case
  std::unordered_map<HWND, WndProc> windows;
  HWND lastWindow = 0;  // handles count up and are never handed out twice
  PostedQueue queue;
  // The hook is replaced only while no poster runs it (see SetWakeHook), so posting reads
  // it without a lock and without copying it.
  std::function<void()> wakeHook;
  std::atomic<bool> wakeHookSet{false};
  std::atomic<int> wakeHookUsers{0};
  // UI thread only: the WakeFds alive that have not been replaced by SetWakeHook, oldest
  // first (the last one is the hook), and the hook that was in place before the first.
  std::vector<WakeFd*> wakeFds;
  std::function<void()> hookBeforeWakeFds;
};

// Never destroyed: an audio thread may still post while the program exits.
State& TheState() {
  static State* const state = new State;
  return *state;
}

thread_local std::uint32_t lastError = 0;

bool Fail(std::uint32_t error) {
  lastError = error;
  return false;
}

std::string ClassKey(const char* name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

WndProc FindProc(HWND window) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  auto it = s.windows.find(window);
  return it == s.windows.end() ? nullptr : it->second;
}

}  // namespace

std::uint32_t GetLastError() { return lastError; }

bool RegisterClass(const char* className, WndProc proc) {
  if (className == nullptr || *className == '\0' || proc == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.classes.emplace(ClassKey(className), proc).second) {
    return Fail(ERROR_CLASS_ALREADY_EXISTS);
  }
  return true;
}

HWND CreateWindow(const char* className, std::uint32_t /*style: windows are never shown*/) {
  if (className == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string key = ClassKey(className);
  State& s = TheState();
  std::lock_guard guard(s.lock);
  auto it = s.classes.find(key);
  if (it == s.classes.end()) {
    Fail(ERROR_CANNOT_FIND_WND_CLASS);
    return 0;
  }
  const HWND window = ++s.lastWindow;
  s.windows.emplace(window, it->second);
  return window;
}

bool DestroyWindow(HWND window) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (s.windows.erase(window) == 0) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  return true;
}

bool IsWindow(HWND window) { return FindProc(window) != nullptr; }

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WndProc proc = FindProc(window);
  return proc == nullptr ? 0 : proc(window, message, wParam, lParam);
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = TheState();
  {
    std::lock_guard guard(s.lock);
    if (s.windows.find(window) == s.windows.end()) return Fail(ERROR_INVALID_WINDOW_HANDLE);
    if (!s.queue.Push({window, message, wParam, lParam})) return Fail(ERROR_NOT_ENOUGH_QUOTA);
  }
  s.wakeHookUsers.fetch_add(1);
  if (s.wakeHookSet.load()) s.wakeHook();
  s.wakeHookUsers.fetch_sub(1);
  return true;
}

std::size_t DispatchPostedMessages() {
  State& s = TheState();
  std::size_t pending;
  {
    std::lock_guard guard(s.lock);
    pending = s.queue.Size();
  }
  // Only what was posted before the call: a procedure that posts again waits for the next
  // drain, so a drain always ends. Messages are taken one at a time so that a procedure
  // that throws leaves the rest queued.
  std::size_t delivered = 0;
  for (; pending > 0; --pending) {
    PostedMessage m;
    WndProc proc = nullptr;
    {
      std::lock_guard guard(s.lock);
      if (!s.queue.Pop(&m)) break;
      auto it = s.windows.find(m.window);
      if (it != s.windows.end()) proc = it->second;
    }
    if (proc == nullptr) continue;  // the window went away after the post
    ++delivered;
    proc(m.window, m.message, m.wParam, m.lParam);
  }
  return delivered;
}

bool HasPostedMessages() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  return s.queue.Size() > 0;
}

namespace {

// Installs the hook and returns the one it replaces, which is then neither running nor
// called again.
std::function<void()> ExchangeWakeHook(std::function<void()> hook) {
  State& s = TheState();
  // Sequentially consistent on both sides: a poster either sees the hook withdrawn, or is
  // counted here and waited for.
  s.wakeHookSet.store(false);
  while (s.wakeHookUsers.load() != 0) std::this_thread::yield();
  std::function<void()> old = std::move(s.wakeHook);
  const bool set = static_cast<bool>(hook);
  s.wakeHook = std::move(hook);
  s.wakeHookSet.store(set);
  return old;
}

std::function<void()> HookOf(WakeFd* fd) {
  return [fd] { fd->Signal(); };
}

}  // namespace

void SetWakeHook(std::function<void()> hook) {
  State& s = TheState();
  // Replaces every WakeFd too: none of them comes back when it goes.
  s.wakeFds.clear();
  s.hookBeforeWakeFds = nullptr;
  ExchangeWakeHook(std::move(hook));
}

void PushWakeFd(WakeFd* fd) {
  State& s = TheState();
  std::function<void()> before = ExchangeWakeHook(HookOf(fd));
  if (s.wakeFds.empty()) s.hookBeforeWakeFds = std::move(before);
  s.wakeFds.push_back(fd);
}

void RemoveWakeFd(WakeFd* fd) {
  State& s = TheState();
  const auto it = std::find(s.wakeFds.begin(), s.wakeFds.end(), fd);
  if (it == s.wakeFds.end()) return;  // SetWakeHook replaced it meanwhile
  const bool inUse = it + 1 == s.wakeFds.end();
  s.wakeFds.erase(it);
  if (!inUse) return;
  if (s.wakeFds.empty()) {
    ExchangeWakeHook(std::exchange(s.hookBeforeWakeFds, nullptr));
    return;
  }
  WakeFd* previous = s.wakeFds.back();
  ExchangeWakeHook(HookOf(previous));
  // Posts made while the newer one listened would otherwise wait for the next post.
  if (HasPostedMessages()) previous->Signal();
}

void ResetForTesting() {
  SetWakeHook(nullptr);
  State& s = TheState();
  std::lock_guard guard(s.lock);
  s.classes.clear();
  s.windows.clear();
  s.queue.Clear();
  // lastWindow keeps counting: a handle from before the reset must stay invalid.
}

}  // namespace msg
