// SPDX-License-Identifier: MIT
#include "platform/ini/ini_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

using ini::IniFile;

TEST(IniParse, NamesIgnoreCaseAndBlanks) {
  IniFile f = IniFile::Parse(
      "  [ General ]  \n"
      "\tWaveOutDevice  =  3 \r\n"
      "[Virtual wave output]\n"
      "waveblocks=5\n");
  EXPECT_EQ(f.Int("general", "waveoutdevice", 0), 3);
  EXPECT_EQ(f.Int("GENERAL", "WAVEOUTDEVICE", 0), 3);
  EXPECT_EQ(f.Int("virtual WAVE output", "WaveBlocks", 0), 5);
  EXPECT_EQ(f.Value("general", "WaveOutDevice"), "3");
}

TEST(IniParse, FirstOccurrenceWinsForKeysAndSections) {
  IniFile f = IniFile::Parse(
      "[default]\nRemix=2\nremix=7\n"
      "[other]\nx=1\n"
      "[DEFAULT]\nRemix=9\nWaveBlocks=4\n");
  EXPECT_EQ(f.Int("default", "Remix", 0), 2);
  // A repeated section is not read at all.
  EXPECT_EQ(f.Int("default", "WaveBlocks", 3), 3);
  EXPECT_EQ(f.Int("other", "x", 0), 1);
}

TEST(IniParse, CommentsStrayLinesAndKeysOutsideSections) {
  IniFile f = IniFile::Parse(
      "orphan=5\n"
      "[s]\n"
      "; a=1\n"
      "   ;b=2\n"
      "no equals sign here\n"
      "c=3\n");
  EXPECT_EQ(f.Int("s", "a", -1), -1);
  EXPECT_EQ(f.Int("s", "b", -1), -1);
  EXPECT_EQ(f.Int("s", "c", -1), 3);
  EXPECT_FALSE(f.Value("", "orphan").has_value());
  EXPECT_FALSE(f.Value("s", "orphan").has_value());
}

TEST(IniParse, ClassicIntegerReading) {
  IniFile f = IniFile::Parse(
      "[n]\n"
      "plain=42\n"
      "neg=-17\n"
      "plus=+8\n"
      "hex=0x1F\n"
      "HEXUP=0XfF\n"
      "neghex=-0x10\n"
      "trail=12abc\n"
      "dec=3.9\n"
      "word=abc\n"
      "empty=\n"
      "blank=   \n"
      "sign=-\n"
      "hexnothing=0x\n"
      "inner=1 2\n"
      "zero=0\n"
      "wrap=4294967297\n");
  EXPECT_EQ(f.Int("n", "plain", 99), 42);
  EXPECT_EQ(f.Int("n", "neg", 99), -17);
  EXPECT_EQ(f.Int("n", "plus", 99), 8);
  EXPECT_EQ(f.Int("n", "hex", 99), 31);
  EXPECT_EQ(f.Int("n", "HexUp", 99), 255);
  EXPECT_EQ(f.Int("n", "neghex", 99), -16);
  EXPECT_EQ(f.Int("n", "trail", 99), 12);
  EXPECT_EQ(f.Int("n", "dec", 99), 3);
  EXPECT_EQ(f.Int("n", "word", 99), 0);
  EXPECT_EQ(f.Int("n", "empty", 99), 0);
  EXPECT_EQ(f.Int("n", "blank", 99), 0);
  EXPECT_EQ(f.Int("n", "sign", 99), 0);
  EXPECT_EQ(f.Int("n", "hexnothing", 99), 0);
  EXPECT_EQ(f.Int("n", "inner", 99), 1);
  EXPECT_EQ(f.Int("n", "zero", 99), 0);
  EXPECT_EQ(f.Int("n", "wrap", 99), 1);
  EXPECT_EQ(f.Int("n", "absent", 99), 99);
  EXPECT_EQ(f.Int("none", "plain", -5), -5);
}

TEST(IniParse, SectionWithoutClosingBracketAndOddLineEnds) {
  IniFile f = IniFile::Parse("[open\rk=1\r[b]x\n[c] trailing\nk=2");
  EXPECT_EQ(f.Int("open", "k", 0), 1);
  EXPECT_EQ(f.Int("c", "k", 0), 2);
}

TEST(IniParse, EmptyOrDefaultFileGivesDefaults) {
  // Arbitrary bytes are the fuzz target's business; here only the empty cases.
  for (const IniFile& f : {IniFile(), IniFile::Parse(""), IniFile::Parse("\n\n;only comments\n")}) {
    EXPECT_EQ(f.Int("a", "b", 7), 7);
    EXPECT_FALSE(f.Value("a", "b").has_value());
  }
}

class IniFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ini_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    SaveEnv("XDG_CONFIG_HOME", savedXdg_, hadXdg_);
    SaveEnv("HOME", savedHome_, hadHome_);
  }
  void TearDown() override {
    RestoreEnv("XDG_CONFIG_HOME", savedXdg_, hadXdg_);
    RestoreEnv("HOME", savedHome_, hadHome_);
    std::filesystem::remove_all(folder_);
  }
  static void SaveEnv(const char* name, std::string& value, bool& had) {
    const char* v = std::getenv(name);
    had = v != nullptr;
    if (had) value = v;
  }
  static void RestoreEnv(const char* name, const std::string& value, bool had) {
    if (had) ::setenv(name, value.c_str(), 1); else ::unsetenv(name);
  }
  void Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::filesystem::path folder_;
  std::string savedXdg_, savedHome_;
  bool hadXdg_ = false, hadHome_ = false;
};

TEST_F(IniFolder, ConfigDirectoryPrefersXdgThenHome) {
  ::setenv("XDG_CONFIG_HOME", (folder_ / "xdg").c_str(), 1);
  ::setenv("HOME", (folder_ / "home").c_str(), 1);
  EXPECT_EQ(ini::ConfigDirectory(), folder_ / "xdg");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ini::ConfigDirectory(), folder_ / "home" / ".config");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(ini::ConfigDirectory(), folder_ / "home" / ".config");
}

TEST_F(IniFolder, BareFileNameIsReadFromTheConfigFolder) {
  ::setenv("XDG_CONFIG_HOME", (folder_ / "xdg").c_str(), 1);
  ::setenv("HOME", (folder_ / "home").c_str(), 1);
  Write(folder_ / "xdg" / "WAVEMIX.INI", "[general]\nWaveOutDevice=2\n");
  Write(folder_ / "home" / ".config" / "WAVEMIX.INI", "[general]\nWaveOutDevice=5\n");
  EXPECT_EQ(ini::GetPrivateProfileInt("general", "WaveOutDevice", 0, "WAVEMIX.INI"), 2);
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ini::GetPrivateProfileInt("general", "WaveOutDevice", 0, "WAVEMIX.INI"), 5);
  // A name with a folder part is taken as it stands.
  Write(folder_ / "elsewhere.ini", "[a]\nb=0x20\n");
  EXPECT_EQ(ini::GetPrivateProfileInt("a", "b", 0, (folder_ / "elsewhere.ini").c_str()), 32);
}

TEST_F(IniFolder, MissingOrUnreadableFileGivesDefaults) {
  ::setenv("XDG_CONFIG_HOME", (folder_ / "nowhere").c_str(), 1);
  EXPECT_EQ(ini::GetPrivateProfileInt("default", "WaveBlocks", 3, "WAVEMIX.INI"), 3);
  // A folder where the file should be.
  std::filesystem::create_directories(folder_ / "dir" / "WAVEMIX.INI");
  ::setenv("XDG_CONFIG_HOME", (folder_ / "dir").c_str(), 1);
  EXPECT_EQ(ini::GetPrivateProfileInt("default", "WaveBlocks", 3, "WAVEMIX.INI"), 3);
  EXPECT_EQ(ini::GetPrivateProfileInt(nullptr, "WaveBlocks", 4, "WAVEMIX.INI"), 4);
  EXPECT_FALSE(IniFile::Load(folder_ / "nowhere.ini").Value("a", "b").has_value());
}

TEST_F(IniFolder, BinaryFileIsReadWithoutFault) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>(i * 37));
  bytes += "\n[s]\nk=9\n";
  bytes.push_back('\0');
  Write(folder_ / "bin.ini", bytes);
  EXPECT_EQ(IniFile::Load(folder_ / "bin.ini").Int("s", "k", 0), 9);
}

TEST_F(IniFolder, OnlyTheFirstMebibyteOfAHugeFileIsRead) {
  std::string text = "[s]\nfirst=1\n";
  text += std::string(3 << 20, 'x');
  text += "\n[t]\nlast=2\n";
  Write(folder_ / "huge.ini", text);
  const IniFile f = IniFile::Load(folder_ / "huge.ini");
  EXPECT_EQ(f.Int("s", "first", 0), 1);
  EXPECT_EQ(f.Int("t", "last", 0), 0);
}

}  // namespace
