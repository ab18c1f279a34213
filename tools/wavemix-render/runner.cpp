// SPDX-License-Identifier: MIT
#include "runner.h"

#include "platform/messages/messages.h"
#include "wavemix/records.h"

namespace render {

namespace {

// The notice window's procedure is a plain function; it finds its runner here.
ScriptRunner* g_runner = nullptr;
constexpr const char* NoticeClassName = "WaveMixRenderNotice";

}  // namespace

ScriptRunner::ScriptRunner(ScriptClock& clock, std::ostream& out) : clock_(clock), out_(out) {
  g_runner = this;
  msg::RegisterClass(NoticeClassName, NoticeProc);
  noticeWindow_ = msg::CreateWindow(NoticeClassName, msg::WS_DISABLED);
}

ScriptRunner::~ScriptRunner() {
  // A run cut short (the output full) still gives its device up.
  if (started_ && !ended_ && session_ != nullptr) {
    try {
      WaveMixEndSession(session_);
    } catch (const EWaveMixError&) {
    }
  }
  msg::DestroyWindow(noticeWindow_);
  g_runner = nullptr;
}

msg::LRESULT ScriptRunner::NoticeProc(msg::HWND, msg::UINT message, msg::WPARAM wParam,
                                      msg::LPARAM lParam) {
  if (message != wo::MM_WOM_DONE || g_runner == nullptr) return 0;
  ScriptRunner& runner = *g_runner;
  const auto* wave = reinterpret_cast<const MixWave*>(lParam);
  const auto name = runner.names_.find(wave);
  runner.out_ << "done " << wParam << ' ' << (name != runner.names_.end() ? name->second : "?")
              << ' ' << runner.clock_.NowMs() << '\n';
  return 0;
}

void ScriptRunner::Report(int line, const char* message) {
  out_ << "line " << line << ": " << message << '\n';
}

void ScriptRunner::StartSession(const Command* config) {
  started_ = true;
  if (config != nullptr) {
    MixConfig settings{};
    settings.size = sizeof settings;
    if (config->stereo) {
      settings.flags |= MixConfigChannels;
      settings.channels = 2;
    }
    if (config->rateCode != 0) {
      settings.flags |= MixConfigRate;
      settings.rateCode = config->rateCode;
    }
    session_ = WaveMixInitEx(&settings);
  } else {
    session_ = WaveMixInit();
  }
  format_ = session_->outputFormat;
  if (onSessionFormat) onSessionFormat(format_);
}

void ScriptRunner::Run(const std::vector<Command>& commands) {
  for (const Command& command : commands) {
    try {
      if (!started_) {
        StartSession(command.op == Op::Config ? &command : nullptr);
        if (command.op == Op::Config) continue;
      }
      Execute(command);
    } catch (const EWaveMixError& error) {
      Report(command.line, error.what());
    }
  }
  const int lastLine = commands.empty() ? 1 : commands.back().line;
  try {
    if (!started_) StartSession(nullptr);
    if (!ended_) {
      ended_ = true;
      WaveMixEndSession(session_);
    }
  } catch (const EWaveMixError& error) {
    Report(lastLine, error.what());
  }
}

void ScriptRunner::Execute(const Command& c) {
  switch (c.op) {
    case Op::Config:
      break;  // only first, handled by Run
    case Op::Open: {
      waves_[c.name] = nullptr;
      MixWave* wave = WaveMixOpenWave(session_, c.path.c_str(), nullptr, MixOpenFromFile);
      waves_[c.name] = wave;
      names_[wave] = c.name;
      break;
    }
    case Op::Channels:
      WaveMixOpenChannels(session_, c.all ? 0 : c.number,
                          c.all ? MixOpenAll : (c.count ? MixOpenCount : MixOpenOne));
      break;
    case Op::Activate:
      WaveMixActivate(session_, true);
      break;
    case Op::Deactivate:
      WaveMixActivate(session_, false);
      break;
    case Op::Play: {
      MixPlayParams params{};
      params.Size = sizeof params;
      params.Session = session_;
      params.Channel = c.number;
      params.Wave = waves_[c.name];
      params.NotifyWindow = c.notify ? noticeWindow_ : 0;
      params.Flags = c.flags;
      params.Loops = c.loops;
      WaveMixPlay(&params);
      break;
    }
    case Op::Flush:
      WaveMixFlushChannels(session_, c.number, (c.all ? MixAllChannels : 0) | c.flags);
      break;
    case Op::Close:
      WaveMixCloseChannels(session_, c.number, c.all ? MixAllChannels : 0);
      break;
    case Op::Free:
      // The handle is passed on as it is: a wave freed twice is the mixer's to refuse.
      WaveMixFreeWave(session_, waves_[c.name]);
      break;
    case Op::Wait:
      clock_.Wait(static_cast<std::uint32_t>(c.number));
      break;
    case Op::End:
      ended_ = true;
      WaveMixEndSession(session_);
      break;
  }
}

}  // namespace render
