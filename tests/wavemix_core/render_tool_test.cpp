// SPDX-License-Identifier: MIT
// The built wavemix-render program: standard output, exit status and the WAV it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
};

class RenderToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mixcore-render-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // An 8-bit mono 11025 Hz WAV file.
  std::string WaveFile(const std::string& name, const std::vector<std::uint8_t>& samples) {
    std::vector<std::uint8_t> bytes;
    auto put32 = [&](std::uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
      bytes.push_back(static_cast<std::uint8_t>(v));
      bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
    tag("RIFF");
    put32(static_cast<std::uint32_t>(36 + samples.size()));
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(11025);
    put32(11025);
    put16(1);
    put16(8);
    tag("data");
    put32(static_cast<std::uint32_t>(samples.size()));
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  std::string Script(const std::string& text) {
    const fs::path path = dir_ / "script.txt";
    std::ofstream(path) << text;
    return path.string();
  }

  Result Run(const std::string& arguments) {
    const std::string command = "cd '" + dir_.string() + "' && XDG_CONFIG_HOME='" + dir_.string() +
                                "' '" + BRANDEL_BIN_DIR "/wavemix-render' " + arguments + " 2>'" +
                                (dir_ / "stderr.txt").string() + "'";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) result.out += buffer.data();
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  std::string Stderr() {
    std::ifstream file(dir_ / "stderr.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream file(dir_ / name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
  }

  fs::path dir_;
};

std::vector<std::uint8_t> Ramp(std::size_t n, int first) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((first + i) % 251);
  return v;
}

TEST_F(RenderToolTest, RendersAScriptIntoAWaveFile) {
  const std::vector<std::uint8_t> a = Ramp(1000, 3);
  WaveFile("a.wav", a);
  const Result result = Run(Script("# one short sound\n"
                                   "open a a.wav\n"
                                   "channels all\n"
                                   "activate\n"
                                   "play 2 a notify   # heard at once\n"
                                   "wait 300\n") +
                            " out.wav");
  EXPECT_EQ(result.status, 0) << Stderr();
  // The one block of 2048 bytes ends in the 186th millisecond.
  EXPECT_EQ(result.out, "done 2 a 186\n");

  const std::vector<std::uint8_t> file = ReadFile("out.wav");
  ASSERT_EQ(file.size(), 44u + 3308u);  // 3307 bytes of time, padded to even
  const std::vector<std::uint8_t> header(file.begin(), file.begin() + 44);
  // RIFF size 4 + 24 + 8 + 3307 + 1 pad byte = 3344.
  const std::vector<std::uint8_t> expectedHeader = {
      'R', 'I', 'F', 'F', 0x10, 0x0D, 0,   0,   'W', 'A',  'V',  'E',  'f', 'm',  't',
      ' ', 16,  0,   0,   0,    1,    0,   1,   0,   0x11, 0x2B, 0,    0,   0x11, 0x2B,
      0,   0,   1,   0,   8,    0,    'd', 'a', 't', 'a',  0xEB, 0x0C, 0,   0};
  EXPECT_EQ(header, expectedHeader);
  std::vector<std::uint8_t> expected(a.begin(), a.begin() + 999);
  expected.resize(3307, 128);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 44, file.begin() + 44 + 3307), expected);
}

// The remix posts the device's block-done messages; delivered at the start of the next wait,
// they retire the first sound, heard to its end by 91 ms, at once.
TEST_F(RenderToolTest, WhatWasPostedBeforeAWaitIsDeliveredAtItsStart) {
  WaveFile("a.wav", Ramp(1000, 3));
  WaveFile("b.wav", Ramp(20000, 9));
  const Result result = Run(Script("open a a.wav\n"
                                   "open b b.wav\n"
                                   "channels all\n"
                                   "activate\n"
                                   "play 0 a notify\n"
                                   "play 1 b\n"
                                   "wait 100\n"
                                   "play 2 a high notify\n"
                                   "wait 500\n") +
                            " out.wav");
  EXPECT_EQ(result.status, 0) << Stderr();
  EXPECT_EQ(result.out, "done 0 a 100\ndone 2 a 286\n");
}

TEST_F(RenderToolTest, ReportsMixerErrorsAndGoesOn) {
  WaveFile("a.wav", Ramp(500, 0));
  const Result result = Run(Script("open a a.wav\n"
                                   "open b missing.wav\n"
                                   "play 0 a\n"
                                   "channels one 1\n"
                                   "activate\n"
                                   "play 0 a\n"
                                   "play 1 b\n"
                                   "play any a notify\n"
                                   "wait 200\n"
                                   "free a\n"
                                   "play 1 a\n"
                                   // a freed name stays refused, though a later wave may
                                   // be loaded where the freed one was
                                   "open c a.wav\n"
                                   "free a\n"
                                   "play 1 c notify\n"
                                   "wait 300\n") +
                            " out.wav");
  EXPECT_EQ(result.status, 0) << Stderr();
  EXPECT_EQ(result.out,
            "line 2: Failed to open wave file missing.wav\n"
            "line 3: Wave device not allocated, call WaveMixActivate(hMixSession,TRUE)\n"
            "line 6: The specified channel was not open\n"
            "line 7: nil wave pointer passed to WaveMixPlay!\n"
            "done 1 a 186\n"
            "line 11: The given pointer was not valid\n"
            "line 13: The given pointer was not valid\n"
            "done 1 c 386\n");
}

TEST_F(RenderToolTest, StereoConfigWritesAStereoFile) {
  WaveFile("a.wav", Ramp(100, 0));
  const Result result = Run(Script("config stereo rate 22\nwait 10\n") + " out.wav");
  EXPECT_EQ(result.status, 0) << Stderr();
  const std::vector<std::uint8_t> file = ReadFile("out.wav");
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(file[22], 2);                                           // channels
  EXPECT_EQ(file[24] | (file[25] << 8) | (file[26] << 16), 22050);  // samples per second
  EXPECT_EQ(file[28] | (file[29] << 8) | (file[30] << 16), 44100);  // bytes per second
  EXPECT_EQ(file[32], 2);                                           // block align
  EXPECT_EQ(file.size(), 44u + 440u);  // 220 frames of silence for 10 ms
  EXPECT_EQ(file[44], 128);
  EXPECT_EQ(file[44 + 439], 128);
}

TEST_F(RenderToolTest, MalformedScriptsExitWithTwo) {
  WaveFile("a.wav", Ramp(100, 0));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"activate\nconfig stereo\n", "line 2"},
      {"play 0 nowhere\n", "line 1"},
      {"open a a.wav\nplay 0 a loops\n", "line 2"},
      {"open a a.wav\nplay 0 a loud\n", "line 2"},
      {"wait soon\n", "line 1"},
      {"channels some\n", "line 1"},
      {"\n\nflush 1 fast\n", "line 3"},
      {"dance\n", "line 1"},
  };
  for (const auto& [script, where] : cases) {
    const Result result = Run(Script(script) + " out.wav");
    EXPECT_EQ(result.status, 2) << script;
    EXPECT_EQ(result.out, "") << script;
    EXPECT_NE(Stderr().find(where), std::string::npos) << script << Stderr();
  }
}

TEST_F(RenderToolTest, UnwritableOutputAndBadArgumentsExitWithTwo) {
  const std::string script = Script("wait 10\n");
  Result result = Run(script + " /nonexistent-folder/out.wav");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(Stderr().find("cannot write"), std::string::npos);
  result = Run("missing-script.txt out.wav");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(Stderr().find("cannot read"), std::string::npos);
  result = Run("");
  EXPECT_EQ(result.status, 2);
}

}  // namespace
