// SPDX-License-Identifier: MIT
// Runs a parsed script against the mixer. Time passes only in `wait`, through a clock that
// is either the virtual device (exact, faster than real time) or real time on a real device.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <ostream>
#include <vector>

#include "script.h"
#include "wavemix/wavemix.h"

namespace render {

class ScriptClock {
 public:
  virtual ~ScriptClock() = default;
  // Lets ms milliseconds pass, delivering posted messages as they come.
  virtual void Wait(std::uint32_t ms) = 0;
  virtual std::uint32_t NowMs() const = 0;
};

class ScriptRunner {
 public:
  ScriptRunner(ScriptClock& clock, std::ostream& out);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs every command; a mixer error is reported as "line N: MESSAGE" and the next line
  // runs. The session is ended at the end unless the script ended it.
  void Run(const std::vector<Command>& commands);

  // The format the session played (the default one when none could be made).
  const wo::PCMWAVEFORMAT& OutputFormat() const { return format_; }
  // Called once the session exists (the virtual device follows its byte rate).
  std::function<void(const wo::PCMWAVEFORMAT&)> onSessionFormat;

 private:
  void Execute(const Command& command);
  void StartSession(const Command* config);
  void Report(int line, const char* message);
  static msg::LRESULT NoticeProc(msg::HWND, msg::UINT, msg::WPARAM, msg::LPARAM);

  ScriptClock& clock_;
  std::ostream& out_;
  HMIXSESSION session_ = nullptr;
  bool started_ = false;
  bool ended_ = false;
  msg::HWND noticeWindow_ = 0;
  std::map<std::string, MixWave*> waves_;
  std::map<const MixWave*, std::string> names_;
  wo::PCMWAVEFORMAT format_{wo::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8};
};

}  // namespace render
