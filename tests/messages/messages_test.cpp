// SPDX-License-Identifier: MIT
#include "platform/messages/messages.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct Delivery {
  msg::HWND window;
  msg::UINT message;
  msg::WPARAM wParam;
  msg::LPARAM lParam;
  bool operator==(const Delivery&) const = default;
};
std::vector<Delivery> delivered;

msg::LRESULT RecordingProc(msg::HWND w, msg::UINT m, msg::WPARAM wp, msg::LPARAM lp) {
  delivered.push_back({w, m, wp, lp});
  return static_cast<msg::LRESULT>(wp) * 2;
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    msg::ResetForTesting();
    delivered.clear();
    ASSERT_TRUE(msg::RegisterClass("Recorder", RecordingProc));
  }
  void TearDown() override { msg::ResetForTesting(); }
};

TEST_F(Messages, RegisteringAClassTwiceFailsWithAlreadyExists) {
  EXPECT_FALSE(msg::RegisterClass("Recorder", RecordingProc));
  EXPECT_EQ(msg::GetLastError(), msg::ERROR_CLASS_ALREADY_EXISTS);
  EXPECT_FALSE(msg::RegisterClass("RECORDER", RecordingProc)) << "class names ignore case";
  EXPECT_EQ(msg::GetLastError(), 1410u);
  EXPECT_FALSE(msg::RegisterClass(nullptr, RecordingProc));
  EXPECT_EQ(msg::GetLastError(), msg::ERROR_INVALID_PARAMETER);
}

TEST_F(Messages, WindowsAreNumberedAndNeverReused) {
  const msg::HWND a = msg::CreateWindow("Recorder", msg::WS_DISABLED);
  const msg::HWND b = msg::CreateWindow("recorder", 0);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_TRUE(msg::IsWindow(a));
  EXPECT_TRUE(msg::DestroyWindow(a));
  EXPECT_FALSE(msg::IsWindow(a));
  EXPECT_FALSE(msg::DestroyWindow(a));
  const msg::HWND c = msg::CreateWindow("Recorder", 0);
  EXPECT_NE(c, a);
  EXPECT_NE(c, b);
  msg::ResetForTesting();
  ASSERT_TRUE(msg::RegisterClass("Recorder", RecordingProc));
  const msg::HWND d = msg::CreateWindow("Recorder", 0);
  EXPECT_NE(d, a);
  EXPECT_NE(d, b);
  EXPECT_NE(d, c);
  EXPECT_FALSE(msg::IsWindow(b)) << "a reset forgets every window";
}

TEST_F(Messages, CreatingAWindowOfAnUnknownClassFails) {
  EXPECT_EQ(msg::CreateWindow("NoSuchClass", 0), 0u);
  EXPECT_EQ(msg::GetLastError(), msg::ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(Messages, SendMessageCallsTheProcedureAtOnce) {
  const msg::HWND w = msg::CreateWindow("Recorder", 0);
  EXPECT_EQ(msg::SendMessage(w, 0x3BD, 21, -5), 42);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], (Delivery{w, 0x3BD, 21, -5}));
  EXPECT_EQ(msg::SendMessage(w + 1000, 0x3BD, 21, 0), 0) << "no window, no call";
  EXPECT_EQ(delivered.size(), 1u);
  EXPECT_EQ(msg::DefWindowProc(w, 1, 2, 3), 0);
}

TEST_F(Messages, PostedMessagesArriveInOrderOnlyWhenDispatched) {
  const msg::HWND a = msg::CreateWindow("Recorder", 0);
  const msg::HWND b = msg::CreateWindow("Recorder", 0);
  EXPECT_FALSE(msg::HasPostedMessages());
  ASSERT_TRUE(msg::PostMessage(a, 0x3BD, 1, 10));
  ASSERT_TRUE(msg::PostMessage(b, 0x3BD, 2, 20));
  ASSERT_TRUE(msg::PostMessage(a, 0x3BC, 3, 30));
  EXPECT_TRUE(delivered.empty());
  EXPECT_TRUE(msg::HasPostedMessages());
  EXPECT_EQ(msg::DispatchPostedMessages(), 3u);
  EXPECT_EQ(delivered, (std::vector<Delivery>{{a, 0x3BD, 1, 10}, {b, 0x3BD, 2, 20}, {a, 0x3BC, 3, 30}}));
  EXPECT_FALSE(msg::HasPostedMessages());
  EXPECT_EQ(msg::DispatchPostedMessages(), 0u);
}

TEST_F(Messages, AMessageForADestroyedWindowIsDropped) {
  const msg::HWND a = msg::CreateWindow("Recorder", 0);
  const msg::HWND b = msg::CreateWindow("Recorder", 0);
  ASSERT_TRUE(msg::PostMessage(a, 0x3BD, 1, 0));
  ASSERT_TRUE(msg::PostMessage(b, 0x3BD, 2, 0));
  msg::DestroyWindow(a);
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].window, b);
  EXPECT_FALSE(msg::PostMessage(a, 0x3BD, 3, 0));
  EXPECT_EQ(msg::GetLastError(), msg::ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(msg::HasPostedMessages());
}

// A procedure that posts again: the drain delivers only what was queued when it began.
msg::LRESULT RepostingProc(msg::HWND w, msg::UINT m, msg::WPARAM wp, msg::LPARAM lp) {
  delivered.push_back({w, m, wp, lp});
  if (wp < 3) msg::PostMessage(w, m, wp + 1, lp);
  return 0;
}

TEST_F(Messages, ADrainDeliversOnlyWhatWasPostedBeforeIt) {
  ASSERT_TRUE(msg::RegisterClass("Reposter", RepostingProc));
  const msg::HWND w = msg::CreateWindow("Reposter", 0);
  msg::PostMessage(w, 7, 0, 0);
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  EXPECT_EQ(msg::DispatchPostedMessages(), 0u);
  ASSERT_EQ(delivered.size(), 4u);
  EXPECT_EQ(delivered[3].wParam, 3u);
}

// A procedure that throws: the error reaches the drain's caller, the rest stays queued.
msg::LRESULT ThrowingProc(msg::HWND, msg::UINT, msg::WPARAM, msg::LPARAM) {
  throw std::runtime_error("from a procedure");
}

TEST_F(Messages, AThrowingProcedureLeavesTheRestQueued) {
  ASSERT_TRUE(msg::RegisterClass("Thrower", ThrowingProc));
  const msg::HWND t = msg::CreateWindow("Thrower", 0);
  const msg::HWND r = msg::CreateWindow("Recorder", 0);
  msg::PostMessage(t, 1, 0, 0);
  msg::PostMessage(r, 2, 0, 0);
  EXPECT_THROW(msg::DispatchPostedMessages(), std::runtime_error);
  EXPECT_TRUE(delivered.empty());
  EXPECT_EQ(msg::DispatchPostedMessages(), 1u);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].message, 2u);
}

TEST_F(Messages, AFullQueueRefusesThePostAndKeepsWhatItHolds) {
  const msg::HWND w = msg::CreateWindow("Recorder", 0);
  std::size_t accepted = 0;
  while (msg::PostMessage(w, 1, accepted, 0)) {
    ++accepted;
    ASSERT_LT(accepted, 1000000u) << "the queue never filled";
  }
  EXPECT_EQ(msg::GetLastError(), msg::ERROR_NOT_ENOUGH_QUOTA);
  EXPECT_GE(accepted, 256u);
  EXPECT_EQ(msg::DispatchPostedMessages(), accepted);
  ASSERT_EQ(delivered.size(), accepted);
  for (std::size_t i = 0; i < accepted; ++i) ASSERT_EQ(delivered[i].wParam, i);
  EXPECT_TRUE(msg::PostMessage(w, 1, 0, 0)) << "room again after the drain";
}

TEST_F(Messages, TheWakeHookRunsAfterEverySuccessfulPost) {
  int wakes = 0;
  msg::SetWakeHook([&wakes] { ++wakes; });
  const msg::HWND w = msg::CreateWindow("Recorder", 0);
  msg::PostMessage(w, 1, 0, 0);
  msg::PostMessage(w, 1, 0, 0);
  msg::PostMessage(w + 1000, 1, 0, 0);
  EXPECT_EQ(wakes, 2);
  msg::SetWakeHook(nullptr);
  msg::PostMessage(w, 1, 0, 0);
  EXPECT_EQ(wakes, 2);
}

// WakeFds stack: the newest is the hook, and each one destroyed gives the wake-up back to
// the hook in place before it, in whatever order they go; SetWakeHook replaces them for good.
TEST_F(Messages, DestroyingAWakeFdBringsBackTheHookBeforeIt) {
  const auto readable = [](const msg::WakeFd& fd) {
    pollfd p{fd.Fd(), POLLIN, 0};
    return poll(&p, 1, 0) == 1;
  };
  int hookWakes = 0;
  msg::SetWakeHook([&hookWakes] { ++hookWakes; });
  const msg::HWND w = msg::CreateWindow("Recorder", 0);
  {
    msg::WakeFd first;
    {
      msg::WakeFd second;
      msg::PostMessage(w, 1, 0, 0);
      EXPECT_TRUE(readable(second));
      EXPECT_FALSE(readable(first));
    }
    EXPECT_TRUE(readable(first)) << "back in place, and a message waits";
    first.Acknowledge();
    msg::DispatchPostedMessages();
    msg::PostMessage(w, 1, 0, 0);
    EXPECT_TRUE(readable(first));
    msg::DispatchPostedMessages();
  }
  EXPECT_EQ(hookWakes, 0);
  msg::PostMessage(w, 1, 0, 0);
  EXPECT_EQ(hookWakes, 1) << "the hook from before the first WakeFd";

  {
    auto older = std::make_unique<msg::WakeFd>();
    msg::WakeFd newer;
    older.reset();  // not the hook: nothing changes
    newer.Acknowledge();
    msg::DispatchPostedMessages();
    msg::PostMessage(w, 1, 0, 0);
    EXPECT_TRUE(readable(newer));
  }
  msg::PostMessage(w, 1, 0, 0);
  EXPECT_EQ(hookWakes, 2);

  {
    msg::WakeFd replaced;
    msg::SetWakeHook(nullptr);
  }
  msg::PostMessage(w, 1, 0, 0);
  EXPECT_EQ(hookWakes, 2) << "a WakeFd replaced by SetWakeHook does not bring anything back";
}

}  // namespace
