// SPDX-License-Identifier: MIT
// wavemix-render: drives the mixer from a script.
//   wavemix-render SCRIPT OUT.wav   on the virtual device, exact and faster than real time;
//                                   writes what a listener hears to OUT.wav
//   wavemix-render --live SCRIPT    in real time on the real device (WAVEMIX_OUTPUT)
// Standard output: "done CHANNEL NAME MS" per end-of-wave message, "line N: MESSAGE" per
// mixer error. Exit status 0; 2 for a malformed script, an unwritable output, or an output
// that reached the 4 GiB limit of a WAV file (the file then holds everything up to it).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "clocks.h"
#include "platform/waveout/virtual_device.h"
#include "platform/waveout/wav_file_writer.h"
#include "runner.h"
#include "script.h"

namespace {

constexpr int Malformed = 2;

int Usage() {
  std::cerr << "usage: wavemix-render SCRIPT OUT.wav\n"
               "       wavemix-render --live SCRIPT\n";
  return Malformed;
}

bool ReadScript(const std::string& path, std::vector<render::Command>& commands) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "wavemix-render: cannot read script " << path << '\n';
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  try {
    commands = render::ParseScript(text.str());
  } catch (const render::ScriptError& error) {
    std::cerr << "wavemix-render: " << path << ": " << error.what() << '\n';
    return false;
  }
  return true;
}

int RenderLive(const std::vector<render::Command>& commands) {
  render::LiveClock clock;
  render::ScriptRunner runner(clock, std::cout);
  runner.Run(commands);
  std::cout.flush();
  return 0;
}

// What is heard goes to the file as it is rendered, so memory stays small however long the
// script waits. A WAV file cannot count past 4 GiB: the render stops there, leaving a valid
// file of everything before.
int RenderToFile(const std::vector<render::Command>& commands, const std::string& outPath) {
  // Refuse an unwritable output before spending any time.
  if (!std::ofstream(outPath, std::ios::binary | std::ios::trunc)) {
    std::cerr << "wavemix-render: cannot write " << outPath << '\n';
    return Malformed;
  }
  wo::VirtualDevice& device = wo::VirtualDevice::Install();
  wo::WavFileWriter file(outPath);
  file.Begin({wo::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8});  // until a session says otherwise
  device.SetRecordingSink(
      [&file](const std::uint8_t* bytes, std::size_t count) { file.Append(bytes, count); });
  bool stopped = false;
  std::uint32_t stoppedAtMs = 0;
  {
    render::VirtualClock clock(device,
                               [&file] { return file.LimitReached() || !file.Recording(); });
    render::ScriptRunner runner(clock, std::cout);
    runner.onSessionFormat = [&device, &file](const wo::PCMWAVEFORMAT& f) {
      device.SetFrameFormat(f.nSamplesPerSec, f.nBlockAlign);
      file.Begin(f);  // nothing is recorded before the session exists
    };
    try {
      runner.Run(commands);
    } catch (const render::VirtualClock::Stopped&) {
      stopped = true;
      stoppedAtMs = clock.NowMs();
    }
  }
  wo::VirtualDevice::Uninstall();
  std::cout.flush();
  file.Finish();
  if (!file.Recording()) {
    std::cerr << "wavemix-render: cannot write " << outPath << '\n';
    return Malformed;
  }
  if (stopped) {
    std::cerr << "wavemix-render: " << outPath << " reached the 4 GiB limit of a WAV file; "
              << "rendering stopped at " << stoppedAtMs << " ms, and the file holds what was "
              << "rendered up to the limit\n";
    return Malformed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<render::Command> commands;
  if (args.size() == 2 && args[0] == "--live") {
    if (!ReadScript(args[1], commands)) return Malformed;
    return RenderLive(commands);
  }
  if (args.size() == 2 && args[0].rfind("--", 0) != 0) {
    if (!ReadScript(args[0], commands)) return Malformed;
    return RenderToFile(commands, args[1]);
  }
  return Usage();
}
