// SPDX-License-Identifier: MIT
// WAVEMIX_OUTPUT is read when the layer is first used; each build of this file runs with
// another value (see CMakeLists.txt) and checks which back end answers.
#include <gtest/gtest.h>

#include <string>

#include "platform/waveout/wave_out.h"

namespace {

TEST(OutputSelection, SELECTION_CASE) {
  ::testing::internal::CaptureStderr();
  const std::uint32_t devices = wo::waveOutGetNumDevs();
  const std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(devices, 1u);
  wo::WAVEOUTCAPS caps{};
  ASSERT_EQ(wo::waveOutGetDevCaps(0, &caps, sizeof caps), 0u);
  EXPECT_STREQ(caps.szPname, EXPECTED_DEVICE_NAME);
  EXPECT_EQ(err.find("names no wave output") != std::string::npos, EXPECT_WARNING) << err;
}

}  // namespace
