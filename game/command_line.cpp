// SPDX-License-Identifier: MIT
#include "game/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace brandel {

namespace {

constexpr const char* kProgram = "brandel2";
constexpr const char* kHint = "Try 'brandel2 --help'.\n";

// Qt's own options that this program hands on (Qt reads them with one dash or two).
struct QtOption {
  std::string_view name;
  bool takesValue;
};

constexpr std::array<QtOption, 23> kQtOptions{{
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"style", true},
    {"stylesheet", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"ncols", true},
    {"cmap", true},
    {"im", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
}};

// Qt also reads these three in the form -name=value.
constexpr std::array<std::string_view, 3> kQtJoinedOptions{"style", "stylesheet", "qmljsdebugger"};

const QtOption* FindQtOption(std::string_view name) {
  for (const QtOption& option : kQtOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool IsJoinedQtOption(std::string_view name) {
  return std::find(kQtJoinedOptions.begin(), kQtJoinedOptions.end(), name) !=
         kQtJoinedOptions.end();
}

CommandLine::Outcome Ended(int status, std::string out, std::string err) {
  CommandLine::Outcome outcome;
  outcome.run = false;
  outcome.exitStatus = status;
  outcome.out = std::move(out);
  outcome.err = std::move(err);
  return outcome;
}

CommandLine::Outcome Refused(const std::string& line) {
  return Ended(2, "", std::string(kProgram) + ": " + line + "\n" + kHint);
}

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Two-column lines, the texts aligned after the longest term.
std::string Columns(const std::vector<HelpEntry>& entries) {
  std::size_t width = 0;
  for (const HelpEntry& entry : entries) width = std::max(width, entry.term.size());
  std::string lines;
  for (const HelpEntry& entry : entries) {
    lines +=
        "  " + entry.term + std::string(width - entry.term.size() + 2, ' ') + entry.text + "\n";
  }
  return lines;
}

}  // namespace

std::string VersionLine() {
  return std::string(kProgram) + " " + BRANDEL_VERSION;
}

CommandLine::CommandLine() {
  AddHelpSection(
      "Environment",
      {
          {"WAVEMIX_OUTPUT=sdl", "sound through SDL2 (the default)"},
          {"WAVEMIX_OUTPUT=null", "one silent device, in real time"},
          {"WAVEMIX_OUTPUT=null:F.wav", "the same, recording to F.wav (music: F.music.wav)"},
          {"BRANDEL_SOUNDFONT=F.sf2", "another soundfont for the music"},
          {"XDG_CONFIG_HOME", "the folder of brandel2/brandel2.conf and WAVEMIX.INI (~/.config)"},
          {"XDG_DATA_HOME", "where an installed game keeps brandel2/my.dat"},
      });
}

void CommandLine::AddOption(CommandLineOption option) {
  options_.push_back(std::move(option));
}

void CommandLine::AddHelpSection(std::string title, std::vector<HelpEntry> entries) {
  // The environment, added first, stays last.
  const auto place = sections_.empty() ? sections_.end() : sections_.end() - 1;
  sections_.insert(place, {std::move(title), std::move(entries)});
}

std::string CommandLine::Usage() const {
  std::vector<HelpEntry> options;
  for (const CommandLineOption& option : options_) {
    options.push_back(
        {"--" + option.name + (option.valueName.empty() ? "" : "=" + option.valueName),
         option.help});
  }
  options.push_back({"--help", "show this help and end"});
  options.push_back({"--version", "show the version and end"});

  std::string usage = std::string("Usage: ") + kProgram + " [OPTION]...\n" +
                      "A short story-and-battle game of a cat hero (ブランデル２).\n\n" +
                      "Options:\n" + Columns(options) +
                      "\nQt's own options apply as well, for example -platform NAME and "
                      "-display DISPLAY.\n";
  for (const auto& [title, entries] : sections_) usage += "\n" + title + ":\n" + Columns(entries);
  usage +=
      "\nSIGINT, SIGTERM and SIGHUP end the game as closing its window does: the play record\n"
      "is saved first.\n";
  return usage;
}

CommandLine::Outcome CommandLine::Parse(const std::vector<std::string>& arguments) const {
  Outcome outcome;
  outcome.qtArguments.push_back(arguments.empty() ? std::string(kProgram) : arguments[0]);
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      return Refused("unexpected argument " + Quoted(argument));
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help") return Ended(0, Usage(), "");
    if (argument == "--version") return Ended(0, VersionLine() + "\n", "");

    // One dash or two, as Qt takes its own options; -name=value only where Qt reads it so.
    const bool longForm = argument.rfind("--", 0) == 0;
    const std::string body = argument.substr(longForm ? 2 : 1);
    const auto equals = body.find('=');
    const std::string name = body.substr(0, equals);

    if (longForm) {
      const auto own = std::find_if(options_.begin(), options_.end(),
                                    [&](const CommandLineOption& o) { return o.name == name; });
      if (own != options_.end()) {
        std::string value;
        if (own->valueName.empty()) {
          if (equals != std::string::npos) {
            return Refused("option " + Quoted("--" + name) + " takes no value");
          }
        } else if (equals != std::string::npos) {
          value = body.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
          value = arguments[++i];
        } else {
          return Refused("option " + Quoted("--" + name) + " needs a value");
        }
        if (own->apply && !own->apply(value)) {
          return Refused("invalid value " + Quoted(value) + " for " + Quoted("--" + name));
        }
        continue;
      }
    }

    if (equals != std::string::npos) {
      if (!IsJoinedQtOption(name)) return Refused("unknown option " + Quoted(argument));
      outcome.qtArguments.push_back(argument);
      continue;
    }
    const QtOption* qt = FindQtOption(name);
    if (qt == nullptr) return Refused("unknown option " + Quoted(argument));
    outcome.qtArguments.push_back(argument);
    if (!qt->takesValue) continue;
    if (i + 1 >= arguments.size()) return Refused("option " + Quoted(argument) + " needs a value");
    outcome.qtArguments.push_back(arguments[++i]);
    if (name == "platform") outcome.qtPlatform = arguments[i];
    if (name == "display") outcome.qtDisplay = true;
  }
  return outcome;
}

}  // namespace brandel
