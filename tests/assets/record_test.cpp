// SPDX-License-Identifier: MIT
// The initial play record: five CR LF lines, placed beside the program only where no record
// exists, so that a player's record survives every build.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "asset_files.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  const auto bytes = ReadWholeFile(path.string());
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

int RunInstallScript(const fs::path& dest) {
  const std::string command =
      std::string("\"") + BRANDEL_CMAKE_COMMAND +
      "\" -DSOURCE=\"" BRANDEL_SOURCE_DIR "/assets/my.dat\" -DDEST=\"" + dest.string() +
      "\" -P \"" BRANDEL_SOURCE_DIR "/assets/install-initial-record.cmake\"";
  return std::system(command.c_str());
}

class InitialRecordScript : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("brandel-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

}  // namespace

TEST(InitialRecord, IsAnEmptyLineAndFourZerosWithCrLf) {
  EXPECT_EQ(ReadText(fs::path(BRANDEL_SOURCE_DIR) / "assets/my.dat"), "\r\n0\r\n0\r\n0\r\n0\r\n");
  EXPECT_TRUE(fs::exists(BinPath("my.dat"))) << "the build placed no record beside the program";
}

TEST_F(InitialRecordScript, PlacesTheRecordWhereNoneExistsCreatingTheFolder) {
  const fs::path dest = dir_ / "bin" / "my.dat";
  ASSERT_EQ(RunInstallScript(dest), 0);
  EXPECT_EQ(ReadText(dest), "\r\n0\r\n0\r\n0\r\n0\r\n");
}

TEST_F(InitialRecordScript, NeverOverwritesAPlayersRecord) {
  fs::create_directories(dir_);
  const fs::path dest = dir_ / "my.dat";
  const std::string players = "\r\n12\r\n150\r\n0\r\n0\r\n";
  WriteText(dest, players);
  ASSERT_EQ(RunInstallScript(dest), 0);
  EXPECT_EQ(ReadText(dest), players);
}
