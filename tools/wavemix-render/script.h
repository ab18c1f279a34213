// SPDX-License-Identifier: MIT
// The render tool's script language: one command per line, '#' starts a comment, lines
// numbered from 1. Parsed in full before anything runs, so a malformed script changes
// nothing.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace render {

enum class Op { Config, Open, Channels, Activate, Deactivate, Play, Flush, Close, Free, Wait, End };

struct Command {
  int line = 0;
  Op op = Op::End;
  std::string name;              // open, play, free
  std::string path;              // open
  bool all = false;              // channels all, flush all, close all; play any
  bool count = false;            // channels count N
  std::int32_t number = 0;       // channel, channel count or milliseconds
  // config
  bool stereo = false;
  std::uint16_t rateCode = 0;    // 0 = not given
  // play and flush
  std::uint16_t loops = 0;
  std::uint32_t flags = 0;       // MixPlay... or MixNoRemix
  bool notify = false;
};

class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message)
      : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Raises ScriptError for the first malformed line.
std::vector<Command> ParseScript(const std::string& text);

}  // namespace render
