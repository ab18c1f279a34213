// SPDX-License-Identifier: MIT
// The program's command line, after the GNU conventions: long options of the game's own
// (--help, --version and whatever option sets join with AddOption), and Qt's own options
// (-platform NAME, -display DISPLAY, ...) handed on to Qt. Everything is decided before Qt
// starts, so --help, --version and a mistyped option need no display.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brandel {

// "brandel2 <version>": the project's one version number, as the build and the package use it.
std::string VersionLine();

struct CommandLineOption {
  std::string name;       // without the leading "--"
  std::string valueName;  // empty for a switch; the value's name in --help otherwise ("N")
  std::string help;       // what --help says of it
  // Takes the value ("" for a switch). Returning false refuses it: the program names the
  // option and its value and ends with status 2.
  std::function<bool(const std::string& value)> apply;
};

struct HelpEntry {
  std::string term;
  std::string text;
};

class CommandLine {
 public:
  CommandLine();

  void AddOption(CommandLineOption option);
  // A further section of --help (keys, for example), placed before the environment.
  void AddHelpSection(std::string title, std::vector<HelpEntry> entries);

  struct Outcome {
    bool run = true;     // false: end at once with exitStatus, after printing out and err
    int exitStatus = 0;  // 0 for --help and --version, 2 for a command line in error
    std::string out;     // for standard output
    std::string err;     // for standard error
    // The program's name, then Qt's own options in their order: what Qt is given.
    std::vector<std::string> qtArguments;
    std::string qtPlatform;  // the value of Qt's -platform, when one was given
    bool qtDisplay = false;  // Qt's -display was given
  };
  // arguments[0] is the program's name. Options of the game's own are applied as they come.
  Outcome Parse(const std::vector<std::string>& arguments) const;

  std::string Usage() const;

 private:
  std::vector<CommandLineOption> options_;
  std::vector<std::pair<std::string, std::vector<HelpEntry>>> sections_;
};

}  // namespace brandel
