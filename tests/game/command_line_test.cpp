// SPDX-License-Identifier: MIT
// The command line: --help and --version end at once, a mistake ends with 2 and a hint, Qt's
// own options go on to Qt, and an option set joins without touching the parsing.
#include "game/command_line.h"

#include <gtest/gtest.h>

namespace brandel {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, HelpVersionMistakesAndQtsOwnOptions) {
  const CommandLine line;
  const auto help = line.Parse({"brandel2", "-platform", "offscreen", "--help", "--bogus"});
  EXPECT_FALSE(help.run);
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out, line.Usage());
  for (const char* named : {"--help", "--version", "-platform", "WAVEMIX_OUTPUT=null",
                            "BRANDEL_SOUNDFONT", "SIGTERM"}) {
    EXPECT_NE(help.out.find(named), std::string::npos) << named;
  }
  EXPECT_TRUE(help.err.empty());

  const auto version = line.Parse({"brandel2", "--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "brandel2 " BRANDEL_VERSION "\n");
  EXPECT_EQ(version.out, VersionLine() + "\n");

  const std::pair<Arguments, std::string> mistakes[] = {
      {{"brandel2", "--bogus"}, "unknown option '--bogus'"},
      {{"brandel2", "-x"}, "unknown option '-x'"},
      {{"brandel2", "-platform=xcb"}, "unknown option '-platform=xcb'"},
      {{"brandel2", "extra"}, "unexpected argument 'extra'"},
      {{"brandel2", "--", "--help"}, "unexpected argument '--help'"},
      {{"brandel2", "-display"}, "option '-display' needs a value"},
  };
  for (const auto& [arguments, message] : mistakes) {
    const auto outcome = line.Parse(arguments);
    EXPECT_FALSE(outcome.run) << message;
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.err, "brandel2: " + message + "\nTry 'brandel2 --help'.\n");
    EXPECT_TRUE(outcome.out.empty());
  }

  const auto qt = line.Parse(
      {"/usr/games/brandel2", "-platform", "xcb", "--display", ":3", "-reverse", "-style=Fusion"});
  EXPECT_TRUE(qt.run);
  EXPECT_EQ(qt.qtArguments, (Arguments{"/usr/games/brandel2", "-platform", "xcb", "--display",
                                       ":3", "-reverse", "-style=Fusion"}));
  EXPECT_EQ(qt.qtPlatform, "xcb");
  EXPECT_TRUE(qt.qtDisplay);
}

TEST(CommandLine, AnOptionSetJoinsHelpAndParsing) {
  CommandLine line;
  int zoom = 0;
  bool full = false;
  line.AddOption({"zoom", "N", "draw the window N times as large",
                  [&](const std::string& value) {
                    zoom = std::atoi(value.c_str());
                    return zoom >= 1 && zoom <= 4;
                  }});
  line.AddOption({"fullscreen", "", "start in full screen", [&](const std::string&) {
                    full = true;
                    return true;
                  }});
  line.AddHelpSection("Keys", {{"F11", "full screen"}});
  const std::string usage = line.Usage();
  EXPECT_NE(usage.find("--zoom=N"), std::string::npos);
  EXPECT_NE(usage.find("--fullscreen"), std::string::npos);
  EXPECT_LT(usage.find("Keys:"), usage.find("Environment:")) << "the environment stays last";

  EXPECT_TRUE(line.Parse({"brandel2", "--zoom", "2", "--fullscreen"}).run);
  EXPECT_EQ(zoom, 2);
  EXPECT_TRUE(full);
  EXPECT_TRUE(line.Parse({"brandel2", "--zoom=3"}).run);
  EXPECT_EQ(zoom, 3);

  EXPECT_EQ(line.Parse({"brandel2", "--zoom=9"}).err,
            "brandel2: invalid value '9' for '--zoom'\nTry 'brandel2 --help'.\n");
  EXPECT_EQ(line.Parse({"brandel2", "--zoom"}).exitStatus, 2);
  EXPECT_EQ(line.Parse({"brandel2", "--fullscreen=yes"}).exitStatus, 2);
}

}  // namespace
}  // namespace brandel
