// SPDX-License-Identifier: MIT
#include "platform/resources/resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace res;

class Resources : public ::testing::Test {
 protected:
  void SetUp() override { ClearResources(nullptr); }
  void TearDown() override { ClearResources(nullptr); }
};

TEST_F(Resources, FoundByNameWithoutRegardToCaseOrByNumber) {
  RegisterResource(nullptr, "WAVE", "Click", {1, 2, 3});
  RegisterResource(ProgramModule(), "WAVE", MakeIntResource(101), {4, 5});
  HRSRC byName = FindResource(nullptr, "cLICK", "wave");
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, byName), 3u);
  HRSRC byNumber = FindResource(ProgramModule(), MakeIntResource(101), "WAVE");
  ASSERT_NE(byNumber, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, byNumber), 2u);
  // The classic "#number" spelling names the same resource.
  EXPECT_EQ(FindResource(nullptr, "#101", "WAVE"), byNumber);
  EXPECT_EQ(FindResource(nullptr, MakeIntResource(102), "WAVE"), nullptr);
  EXPECT_EQ(FindResource(nullptr, "Click", "BITMAP"), nullptr);
  EXPECT_EQ(FindResource(nullptr, nullptr, "WAVE"), nullptr);

  HGLOBAL loaded = LoadResource(nullptr, byName);
  ASSERT_NE(loaded, nullptr);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[2], 3);
  EXPECT_TRUE(FreeResource(loaded));
  EXPECT_FALSE(FreeResource(loaded));
  EXPECT_EQ(LockResource(loaded), nullptr);
}

TEST_F(Resources, ReplacingOrClearingKeepsLoadedBytesAlive) {
  RegisterResource(nullptr, "WAVE", "a", {7, 7, 7});
  HRSRC r = FindResource(nullptr, "A", "WAVE");
  HGLOBAL loaded = LoadResource(nullptr, r);
  RegisterResource(nullptr, "WAVE", "A", {9});
  const auto* held = static_cast<const std::uint8_t*>(LockResource(loaded));
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held[2], 7);
  EXPECT_EQ(SizeofResource(nullptr, FindResource(nullptr, "a", "WAVE")), 1u);
  ClearResources(nullptr);
  EXPECT_EQ(static_cast<const std::uint8_t*>(LockResource(loaded))[0], 7);  // ASan: still alive
  // A handle from before the clear is no longer known.
  EXPECT_EQ(LoadResource(nullptr, r), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, r), 0u);
  EXPECT_TRUE(FreeResource(loaded));
}

TEST_F(Resources, UnknownHandlesAreRefusedWithoutUse) {
  int notAResource = 0;
  EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(&notAResource)), nullptr);
  EXPECT_EQ(LockResource(reinterpret_cast<HGLOBAL>(&notAResource)), nullptr);
  EXPECT_FALSE(FreeResource(nullptr));
  RegisterResource(reinterpret_cast<HMODULE>(&notAResource), "WAVE", "x", {1});
  EXPECT_EQ(FindResource(nullptr, "x", "WAVE"), nullptr);
  EXPECT_EQ(FindResource(reinterpret_cast<HMODULE>(&notAResource), "x", "WAVE"), nullptr);
  // An empty blob can be locked; its size is 0.
  RegisterResource(nullptr, "WAVE", "empty", {});
  HRSRC e = FindResource(nullptr, "empty", "WAVE");
  HGLOBAL l = LoadResource(nullptr, e);
  EXPECT_NE(LockResource(l), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, e), 0u);
  FreeResource(l);
}

}  // namespace
