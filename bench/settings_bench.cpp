// SPDX-License-Identifier: MIT
// Session start (WaveMixInit and WaveMixEndSession on the virtual device) with a settings
// file of 1 MiB, the most the reader takes in, beside the same with an empty settings file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/waveout/virtual_device.h"
#include "wavemix/wavemix.h"

namespace {

constexpr std::size_t kLargeFileBytes = 1 << 20;

// Many keys in one section and many sections, the two shapes that a lookup by scanning
// pays for; the settings that count stand at the very end.
std::string LargeSettings() {
  std::string text = "[default]\n";
  for (int i = 0; text.size() < kLargeFileBytes / 2; ++i) {
    text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  }
  for (int i = 0; text.size() < kLargeFileBytes - 64; ++i) {
    text += "[Section " + std::to_string(i) + "]\nk=1\n";
  }
  text += "[Virtual wave output]\nWaveBlocks=4\n";
  return text;
}

class SettingsFolder {
 public:
  SettingsFolder() {
    folder_ =
        std::filesystem::temp_directory_path() / ("settings-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  ~SettingsFolder() { std::filesystem::remove_all(folder_); }
  void Write(const std::string& text) const {
    std::ofstream(folder_ / "WAVEMIX.INI", std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::filesystem::path folder_;
};

void SessionStartBench(benchmark::State& state) {
  SettingsFolder folder;
  folder.Write(state.range(0) == 0 ? std::string() : LargeSettings());
  wo::VirtualDevice::Install();
  for (auto _ : state) {
    HMIXSESSION session = WaveMixInit();
    benchmark::DoNotOptimize(session);
    WaveMixEndSession(session);
  }
  wo::VirtualDevice::Uninstall();
}
BENCHMARK(SessionStartBench)
    ->Name("SessionStart/settings_bytes")
    ->Arg(0)
    ->Arg(kLargeFileBytes)
    ->Unit(benchmark::kMillisecond);

// Prints the usual table, then the large file's start beside the reference run with an
// empty settings file.
class BesideEmptyReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      milliseconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto empty = milliseconds_.find("SessionStart/settings_bytes/0");
    const auto large =
        milliseconds_.find("SessionStart/settings_bytes/" + std::to_string(kLargeFileBytes));
    if (empty == milliseconds_.end() || large == milliseconds_.end()) return;
    std::printf("\nSession start against the reference run with an empty WAVEMIX.INI:\n");
    std::printf("%-22s %12s\n", "WAVEMIX.INI", "start ms");
    std::printf("%-22s %12.3f\n", "empty (reference)", empty->second);
    std::printf("%-22s %12.3f\n", "1 MiB", large->second);
  }

 private:
  std::map<std::string, double> milliseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BesideEmptyReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
