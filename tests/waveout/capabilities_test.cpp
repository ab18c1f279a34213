// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/waveout/backend.h"

namespace {

std::string NameFrom(const char* productName) {
  wo::WAVEOUTCAPS caps;
  std::memset(&caps, 0x55, sizeof caps);
  wo::FillCapabilities(&caps, productName, 2, 0);
  EXPECT_EQ(caps.szPname[sizeof caps.szPname - 1], '\0');
  return caps.szPname;
}

TEST(Capabilities, ProductNamesAreCutTo31BytesAtACharacterBoundary) {
  EXPECT_EQ(NameFrom("Short"), "Short");
  const std::string exact(31, 'x');
  EXPECT_EQ(NameFrom(exact.c_str()), exact);
  EXPECT_EQ(NameFrom((exact + "yz").c_str()), exact);
  // 29 ASCII bytes and then "é" (2 bytes) fit; a following "€" (3 bytes) does not.
  const std::string fits = std::string(29, 'a') + "\xC3\xA9";
  EXPECT_EQ(NameFrom((fits + "\xE2\x82\xAC").c_str()), fits);
  // "€" starting at byte 30 would be cut after its first two bytes: it goes entirely.
  const std::string before = std::string(29, 'b');
  EXPECT_EQ(NameFrom((before + "\xE2\x82\xAC").c_str()), before);
}

}  // namespace
