// SPDX-License-Identifier: MIT
// The generators themselves: the same bytes on every run (a build must not change what ships
// unless a generator changed), and a loud failure rather than a silently missing file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "asset_files.h"

namespace {

namespace fs = std::filesystem;

int RunCommand(const std::string& command) {
  return std::system((command + " 2>/dev/null").c_str());
}

class Generators : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("brandel-generators-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void ExpectSameAsShipped(const std::string& generated, const std::string& shipped) {
    const auto bytes = ReadWholeFile((dir_ / generated).string());
    EXPECT_FALSE(bytes.empty()) << generated << " was not written";
    EXPECT_TRUE(bytes == ReadWholeFile(BinPath(shipped)))
        << generated << " differs from the build's " << shipped;
  }

  fs::path dir_;
};

}  // namespace

TEST_F(Generators, WriteTheSameBytesAsTheBuildDid) {
  ASSERT_EQ(RunCommand(std::string("\"") + GEN_SOUNDS + "\" \"" + dir_.string() + "\""), 0);
  ExpectSameAsShipped("1.wav", "1.wav");
  ExpectSameAsShipped("2.wav", "2.wav");

  ASSERT_EQ(RunCommand(std::string("\"") + GEN_MUSIC + "\" \"" + (dir_ / "1.mid").string() + "\""),
            0);
  ExpectSameAsShipped("1.mid", "dat/1.mid");

  ASSERT_EQ(
      RunCommand(std::string("\"") + GEN_BITMAPS + "\" \"" + dir_.string() + "\" sakana2 title2"),
      0);
  ExpectSameAsShipped("sakana2.bmp", "cg/sakana2.bmp");
  ExpectSameAsShipped("title2.bmp", "cg/title2.bmp");
}

TEST_F(Generators, FailWhenTheyCannotWriteOrDoNotKnowAPicture) {
  const std::string missing = (dir_ / "no-such-folder").string();
  EXPECT_NE(RunCommand(std::string("\"") + GEN_SOUNDS + "\" \"" + missing + "\""), 0);
  EXPECT_NE(RunCommand(std::string("\"") + GEN_MUSIC + "\" \"" + missing + "/1.mid\""), 0);
  EXPECT_NE(RunCommand(std::string("\"") + GEN_BITMAPS + "\" \"" + missing + "\" title"), 0);
  EXPECT_NE(RunCommand(std::string("\"") + GEN_BITMAPS + "\" \"" + dir_.string() + "\" title3"), 0);
}
