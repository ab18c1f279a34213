// SPDX-License-Identifier: MIT
// Several threads post at once while the UI thread drains.
#include "platform/messages/messages.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kPerThread = 2000;
std::vector<int> lastSeen;  // per posting thread, the sequence number last delivered
int outOfOrder = 0;
int total = 0;

msg::LRESULT CountingProc(msg::HWND, msg::UINT, msg::WPARAM thread, msg::LPARAM sequence) {
  if (sequence != lastSeen[thread] + 1) ++outOfOrder;
  lastSeen[thread] = static_cast<int>(sequence);
  ++total;
  return 0;
}

TEST(MessagesThreads, PostsFromManyThreadsAllArriveInEachThreadsOrder) {
  msg::ResetForTesting();
  lastSeen.assign(kThreads, -1);
  ASSERT_TRUE(msg::RegisterClass("Counter", CountingProc));
  const msg::HWND w = msg::CreateWindow("Counter", 0);
  std::atomic<int> wakes{0};
  msg::SetWakeHook([&wakes] { wakes.fetch_add(1, std::memory_order_relaxed); });

  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([w, t] {
      for (int i = 0; i < kPerThread;) {
        if (msg::PostMessage(w, 0x3BD, static_cast<msg::WPARAM>(t), i)) {
          ++i;
        } else {
          std::this_thread::yield();  // queue full: wait for the drain
        }
      }
    });
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (total < kThreads * kPerThread && std::chrono::steady_clock::now() < deadline) {
    if (msg::DispatchPostedMessages() == 0) std::this_thread::yield();
  }
  for (auto& p : posters) p.join();
  msg::DispatchPostedMessages();

  EXPECT_EQ(total, kThreads * kPerThread);
  EXPECT_EQ(outOfOrder, 0);
  EXPECT_EQ(wakes.load(), kThreads * kPerThread);
  msg::ResetForTesting();
}

msg::LRESULT IgnoringProc(msg::HWND, msg::UINT, msg::WPARAM, msg::LPARAM) { return 0; }

TEST(MessagesThreads, AWithdrawnWakeHookIsNeverCalledAgain) {
  msg::ResetForTesting();
  ASSERT_TRUE(msg::RegisterClass("Ignorer", IgnoringProc));
  const msg::HWND w = msg::CreateWindow("Ignorer", 0);
  std::atomic<int> first{0}, second{0};
  std::atomic<bool> stop{false};
  msg::SetWakeHook([&first] { first.fetch_add(1); });
  std::vector<std::thread> posters;
  for (int t = 0; t < 2; ++t) {
    posters.emplace_back([&] {
      while (!stop.load()) msg::PostMessage(w, 1, 0, 0);
    });
  }
  auto drainAwhile = [] {
    for (int i = 0; i < 200; ++i) {
      msg::DispatchPostedMessages();
      std::this_thread::yield();
    }
  };
  auto drainUntilCalled = [&drainAwhile](const std::atomic<int>& calls) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (calls.load() == 0 && std::chrono::steady_clock::now() < deadline) drainAwhile();
  };
  drainUntilCalled(first);
  msg::SetWakeHook([&second] { second.fetch_add(1); });
  const int firstWhenReplaced = first.load();
  drainUntilCalled(second);
  msg::SetWakeHook(nullptr);
  const int secondWhenCleared = second.load();
  drainAwhile();
  stop.store(true);
  for (auto& p : posters) p.join();

  EXPECT_GT(firstWhenReplaced, 0);
  EXPECT_GT(secondWhenCleared, 0);
  EXPECT_EQ(first.load(), firstWhenReplaced) << "the replaced hook ran after SetWakeHook returned";
  EXPECT_EQ(second.load(), secondWhenCleared) << "the cleared hook ran after SetWakeHook returned";
  msg::ResetForTesting();
}

bool Readable(int fd, int timeoutMs) {
  pollfd wait{fd, POLLIN, 0};
  return poll(&wait, 1, timeoutMs) == 1 && (wait.revents & POLLIN) != 0;
}

// A program's own poll loop: the descriptor wakes it for posts from any thread, including
// those made before it existed, and is quiet once acknowledged until the next post.
TEST(MessagesThreads, WakeFdIsReadableWhileADrainIsDue) {
  msg::ResetForTesting();
  ASSERT_TRUE(msg::RegisterClass("Ignorer", IgnoringProc));
  const msg::HWND w = msg::CreateWindow("Ignorer", 0);
  ASSERT_TRUE(msg::PostMessage(w, 1, 0, 0));
  {
    msg::WakeFd wake;
    EXPECT_TRUE(Readable(wake.Fd(), 0)) << "a message queued before it went unnoticed";
    wake.Acknowledge();
    EXPECT_FALSE(Readable(wake.Fd(), 0));
    EXPECT_EQ(msg::DispatchPostedMessages(), 1u);

    std::thread poster([w] {
      for (int i = 0; i < 100; ++i) msg::PostMessage(w, 1, 0, 0);
    });
    EXPECT_TRUE(Readable(wake.Fd(), 10000)) << "posts from another thread did not wake";
    poster.join();
    wake.Acknowledge();
    EXPECT_FALSE(Readable(wake.Fd(), 0)) << "one acknowledgement did not cover a burst";
    EXPECT_EQ(msg::DispatchPostedMessages(), 100u);
  }
  // Withdrawn with it: posting afterwards calls nothing that is gone.
  EXPECT_TRUE(msg::PostMessage(w, 1, 0, 0));
  msg::ResetForTesting();
}

}  // namespace
