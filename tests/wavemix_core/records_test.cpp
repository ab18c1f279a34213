// SPDX-License-Identifier: MIT
// The node pool and the inner mixing loop.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "wavemix/internal.h"

namespace {

using namespace wavemix;

TEST(PlayNodePool, HoldsExactlyOneHundredNodesInPoolOrder) {
  ResetPlayNodePool();
  std::set<PlayNode*> taken;
  for (int i = 0; i < PlayNodePoolSize; ++i) {
    PlayNode* node = TakePlayNode();
    ASSERT_EQ(node, &PlayNodePool[i]);
    taken.insert(node);
  }
  EXPECT_EQ(taken.size(), 100u);
  EXPECT_EQ(TakePlayNode(), nullptr);
  EXPECT_EQ(TakePlayNode(), nullptr);
}

TEST(PlayNodePool, ReturnedNodesComeBackLastInFirstOut) {
  ResetPlayNodePool();
  PlayNode* a = TakePlayNode();
  PlayNode* b = TakePlayNode();
  ReturnPlayNode(a);
  ReturnPlayNode(b);
  EXPECT_EQ(TakePlayNode(), b);
  EXPECT_EQ(TakePlayNode(), a);
  EXPECT_EQ(TakePlayNode(), &PlayNodePool[2]);
}

TEST(PlayNodePool, ReturningNullChangesNothing) {
  ResetPlayNodePool();
  ReturnPlayNode(nullptr);
  EXPECT_EQ(FreePlayNodes, &PlayNodePool[0]);
  EXPECT_EQ(TakePlayNode(), &PlayNodePool[0]);
}

TEST(PlayNodePool, ResetTakesEveryNodeBack) {
  ResetPlayNodePool();
  for (int i = 0; i < 60; ++i) TakePlayNode();
  ResetPlayNodePool();
  int count = 0;
  while (TakePlayNode() != nullptr) ++count;
  EXPECT_EQ(count, 100);
}

class PlayingList : public ::testing::Test {
 protected:
  void SetUp() override { PlayingHead = PlayingTail = nullptr; }
  void TearDown() override { PlayingHead = PlayingTail = nullptr; }
  std::vector<WaveBlock*> Listed() {
    std::vector<WaveBlock*> listed;
    for (WaveBlock* b = PlayingHead; b != nullptr && listed.size() < 10; b = b->nextPlaying) {
      listed.push_back(b);
    }
    return listed;
  }
  WaveBlock a_{}, b_{}, c_{};
};

TEST_F(PlayingList, KeepsWritingOrderAndBothEnds) {
  AppendPlayingBlock(&a_);
  AppendPlayingBlock(&b_);
  AppendPlayingBlock(&c_);
  EXPECT_EQ(Listed(), (std::vector<WaveBlock*>{&a_, &b_, &c_}));
  EXPECT_EQ(UnlinkPlayingBlock(&b_), &b_);
  EXPECT_EQ(b_.nextPlaying, nullptr);
  EXPECT_EQ(Listed(), (std::vector<WaveBlock*>{&a_, &c_}));
  EXPECT_EQ(UnlinkPlayingBlock(&c_), &c_);  // the predecessor becomes the tail
  EXPECT_EQ(PlayingTail, &a_);
  AppendPlayingBlock(&b_);
  EXPECT_EQ(Listed(), (std::vector<WaveBlock*>{&a_, &b_}));
  EXPECT_EQ(UnlinkPlayingBlock(&c_), nullptr);  // not listed
  EXPECT_EQ(UnlinkPlayingBlock(&a_), &a_);
  EXPECT_EQ(UnlinkPlayingBlock(&b_), &b_);
  EXPECT_EQ(PlayingHead, nullptr);
  EXPECT_EQ(PlayingTail, nullptr);
}

TEST_F(PlayingList, ReleaseMarksEveryListedBlockFree) {
  AppendPlayingBlock(&a_);
  AppendPlayingBlock(&b_);
  c_.free = 0;
  ReleasePlayingBlocks();
  EXPECT_EQ(a_.free, 1);
  EXPECT_EQ(b_.free, 1);
  EXPECT_EQ(c_.free, 0);
  EXPECT_EQ(PlayingHead, nullptr);
  EXPECT_EQ(PlayingTail, nullptr);
}

std::vector<std::uint8_t> Mix(const std::vector<std::vector<std::uint8_t>>& sources) {
  std::vector<const std::uint8_t*> pointers;
  for (const auto& source : sources) pointers.push_back(source.data());
  std::vector<std::uint8_t> out(sources[0].size(), 0xEE);
  MixSamples(out.data(), pointers.data(), static_cast<std::uint16_t>(out.size()),
             static_cast<int>(sources.size()));
  return out;
}

std::vector<std::uint8_t> Fill(std::size_t n, std::uint8_t v) {
  return std::vector<std::uint8_t>(n, v);
}

TEST(MixSamples, SumsAroundSilenceAndClipsOnce) {
  EXPECT_EQ(Mix({Fill(37, 200), Fill(37, 200)}), Fill(37, 255));  // 272 clipped
  EXPECT_EQ(Mix({Fill(37, 40), Fill(37, 40)}), Fill(37, 0));      // -48 clipped
  EXPECT_EQ(Mix({Fill(37, 128), Fill(37, 128), Fill(37, 130)}), Fill(37, 130));
  // Clipped once at the end, not after each source: 250 + 250 - 128 would clip to 255
  // and then 255 + 0 - 128 = 127; the total 128 + 122 + 122 - 128 = 244.
  EXPECT_EQ(Mix({Fill(37, 250), Fill(37, 250), Fill(37, 0)}), Fill(37, 244));
  EXPECT_EQ(Mix({Fill(37, 0), Fill(37, 0), Fill(37, 255)}), Fill(37, 0));  // -129 clipped
}

TEST(MixSamples, OneSourceIsCopiedUnchanged) {
  std::vector<std::uint8_t> source(4096);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_EQ(Mix({source}), source);
}

TEST(MixSamples, EveryByteOfEveryLengthAndSourceCount) {
  // Lengths around the 16-byte stride, eight sources at most (one per channel).
  for (int sources = 2; sources <= 8; ++sources) {
    for (int length : {1, 15, 16, 17, 33, 4096}) {
      std::vector<std::vector<std::uint8_t>> input(static_cast<std::size_t>(sources));
      for (int j = 0; j < sources; ++j) {
        for (int i = 0; i < length; ++i) {
          input[static_cast<std::size_t>(j)].push_back(
              static_cast<std::uint8_t>((i * (j + 3) * 37 + j * 101) & 0xFF));
        }
      }
      const std::vector<std::uint8_t> out = Mix(input);
      for (int i = 0; i < length; ++i) {
        int total = 128;
        for (int j = 0; j < sources; ++j) total += input[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)] - 128;
        const int expected = total < 0 ? 0 : (total > 255 ? 255 : total);
        ASSERT_EQ(out[static_cast<std::size_t>(i)], expected)
            << "sources " << sources << " length " << length << " byte " << i;
      }
    }
  }
}

TEST(MixSamples, WritesNoMoreThanCount) {
  std::vector<std::uint8_t> a(40, 200), b(40, 200);
  const std::uint8_t* pointers[] = {a.data(), b.data()};
  std::vector<std::uint8_t> out(40, 0xEE);
  MixSamples(out.data(), pointers, 21, 2);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], 255);
  for (int i = 21; i < 40; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], 0xEE);
}

}  // namespace
