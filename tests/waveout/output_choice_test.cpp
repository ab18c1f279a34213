// SPDX-License-Identifier: MIT
#include "platform/waveout/output_choice.h"

#include <gtest/gtest.h>

namespace {

using wo::OutputChoice;
using wo::ParseOutputChoice;

TEST(OutputChoice, SdlIsTheDefaultAndNullMayNameARecording) {
  EXPECT_EQ(ParseOutputChoice(nullptr).kind, OutputChoice::kSdl);
  EXPECT_EQ(ParseOutputChoice("").kind, OutputChoice::kSdl);
  EXPECT_EQ(ParseOutputChoice("sdl").kind, OutputChoice::kSdl);
  const OutputChoice plain = ParseOutputChoice("null");
  EXPECT_EQ(plain.kind, OutputChoice::kNull);
  EXPECT_TRUE(plain.wavPath.empty());
  const OutputChoice recording = ParseOutputChoice("null:/tmp/out dir/a.wav");
  EXPECT_EQ(recording.kind, OutputChoice::kNull);
  EXPECT_EQ(recording.wavPath, "/tmp/out dir/a.wav");
  EXPECT_TRUE(recording.warning.empty());
}

TEST(OutputChoice, AnUnknownValueFallsBackToSdlWithAClearWarning) {
  for (const char* value : {"pulse", "NULL", "null:", "sdl2"}) {
    const OutputChoice choice = ParseOutputChoice(value);
    EXPECT_EQ(choice.kind, OutputChoice::kSdl) << value;
    EXPECT_NE(choice.warning.find(std::string("\"") + value + "\""), std::string::npos) << choice.warning;
    EXPECT_NE(choice.warning.find("using sdl"), std::string::npos);
  }
}

}  // namespace
