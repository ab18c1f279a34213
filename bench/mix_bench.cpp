// SPDX-License-Identifier: MIT
// The mixer's inner loop against SDL2's mixing of the same data, and the block builder with
// eight sounding channels. Counters: bytes of output per second.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/messages/messages.h"
#include "platform/waveout/virtual_device.h"
#include "wavemix/internal.h"
#include "wavemix/wavemix.h"

namespace {

constexpr int BlockBytes = 4096;

std::vector<std::vector<std::uint8_t>> Sources(int count) {
  std::vector<std::vector<std::uint8_t>> sources(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) {
    for (int i = 0; i < BlockBytes; ++i) {
      sources[static_cast<std::size_t>(j)].push_back(
          static_cast<std::uint8_t>(128 + ((i * (j + 1) * 13) % 97) - 48));
    }
  }
  return sources;
}

void MixSamplesBench(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const auto sources = Sources(count);
  std::vector<const std::uint8_t*> pointers;
  for (const auto& source : sources) pointers.push_back(source.data());
  std::vector<std::uint8_t> out(BlockBytes);
  for (auto _ : state) {
    wavemix::MixSamples(out.data(), pointers.data(), BlockBytes, count);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BlockBytes);
}
BENCHMARK(MixSamplesBench)->Name("MixSamples")->Arg(1)->Arg(2)->Arg(4)->Arg(8);

// SDL2's way: start from a silent block and mix each source onto it at full volume.
void SdlMixAudioFormatBench(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const auto sources = Sources(count);
  std::vector<std::uint8_t> out(BlockBytes);
  for (auto _ : state) {
    std::memset(out.data(), 128, out.size());
    for (const auto& source : sources) {
      SDL_MixAudioFormat(out.data(), source.data(), AUDIO_U8, BlockBytes, SDL_MIX_MAXVOLUME);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BlockBytes);
}
BENCHMARK(SdlMixAudioFormatBench)->Name("SDL_MixAudioFormat")->Arg(1)->Arg(2)->Arg(4)->Arg(8);

// MixBlock on a live session over the virtual device: eight channels each looping a wave
// of a different length, so blocks are cut at the loop wraps as in real play. Arg 0: every
// volume full (the plain sum); 1: every channel scaled (volumes, pans, a master volume) in
// a stereo session.
void MixBlockBench(benchmark::State& state) {
  const bool scaled = state.range(0) != 0;
  char folder[] = "/tmp/wavemix-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  setenv("XDG_CONFIG_HOME", folder, 1);
  {
    std::FILE* ini = std::fopen((std::string(folder) + "/WAVEMIX.INI").c_str(), "w");
    if (ini != nullptr) {
      std::fputs("[default]\nWaveBlockLen=4096\n", ini);
      std::fclose(ini);
    }
  }
  wo::VirtualDevice::Install();
  const MixConfig config{sizeof(MixConfig), scaled ? MixConfigChannels : 0u, 2, 0};
  HMIXSESSION session = WaveMixInitEx(&config);
  WaveMixActivate(session, true);
  WaveMixOpenChannels(session, 0, MixOpenAll);

  std::vector<std::vector<std::uint8_t>> samples;
  std::vector<MixWave> waves(MixChannelCount);
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    samples.push_back(std::vector<std::uint8_t>(static_cast<std::size_t>(5000 + channel * 1237),
                                                static_cast<std::uint8_t>(100 + channel * 7)));
  }
  for (int channel = 0; channel < MixChannelCount && scaled; ++channel) {
    WaveMixSetChannelVolume(session, channel, 30 + channel * 9, channel * 25 - 100);
  }
  if (scaled) WaveMixSetMasterVolume(session, 80);
  for (int channel = 0; channel < MixChannelCount; ++channel) {
    MixWave& wave = waves[static_cast<std::size_t>(channel)];
    wave.header.lpData = reinterpret_cast<char*>(samples[static_cast<std::size_t>(channel)].data());
    wave.header.dwBufferLength =
        static_cast<std::uint32_t>(samples[static_cast<std::size_t>(channel)].size());
    wavemix::RegisterWave(&wave);
    MixPlayParams params{};
    params.Size = sizeof params;
    params.Session = session;
    params.Channel = channel;
    params.Wave = &wave;
    params.Flags = MixPlayWait;
    params.Loops = MixLoopForever;
    if (channel == MixChannelCount - 1) params.Flags = 0;
    WaveMixPlay(&params);
  }

  WaveBlock block{};
  block.header.lpData = reinterpret_cast<char*>(block.data);
  for (auto _ : state) {
    // Every request started at 0 and loops for ever: going back keeps positions far from
    // the 32-bit limit however long the run.
    if (session->mixPosition > (1 << 30)) session->mixPosition = 0;
    wavemix::MixBlock(&block, false);
    benchmark::DoNotOptimize(block.data);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * session->blockLength);

  WaveMixEndSession(session);
  for (MixWave& wave : waves) wavemix::UnregisterWave(&wave);
  wo::VirtualDevice::Uninstall();
  msg::ResetForTesting();
  std::filesystem::remove_all(folder);
}
BENCHMARK(MixBlockBench)->Name("MixBlock/8channels")->Arg(0)->Arg(1)->ArgName("scaled");

// Passes every report on to the display reporter that Google Benchmark's own flags chose
// (--benchmark_format, --benchmark_color, ...), then prints each MixSamples/N beside the
// reference run SDL_MixAudioFormat/N as a ratio of throughputs, so a change is judged against
// SDL2 on the same machine and run. The ratio table follows the console table; beside JSON or
// CSV it goes to stderr, so standard output stays machine-readable.
class RatioReporter : public benchmark::BenchmarkReporter {
 public:
  explicit RatioReporter(benchmark::BenchmarkReporter& display) : display_(display) {}

  bool ReportContext(const Context& context) override { return display_.ReportContext(context); }
  void ReportRuns(const std::vector<Run>& runs) override {
    display_.ReportRuns(runs);
    for (const Run& run : runs) {
      auto counter = run.counters.find("bytes_per_second");
      if (counter != run.counters.end()) throughput_[run.benchmark_name()] = counter->second;
    }
  }

  void Finalize() override {
    display_.Finalize();
    std::FILE* out = dynamic_cast<benchmark::ConsoleReporter*>(&display_) ? stdout : stderr;
    std::fflush(stdout);
    std::fprintf(out,
                 "\nMixSamples against the reference SDL_MixAudioFormat (same data, same run):\n");
    std::fprintf(out, "%-10s %16s %22s %8s\n", "sources", "MixSamples MB/s",
                 "SDL_MixAudioFormat MB/s", "ratio");
    for (int sources : {1, 2, 4, 8}) {
      const std::string suffix = "/" + std::to_string(sources);
      auto ours = throughput_.find("MixSamples" + suffix);
      auto reference = throughput_.find("SDL_MixAudioFormat" + suffix);
      if (ours == throughput_.end() || reference == throughput_.end() || reference->second <= 0) {
        continue;
      }
      std::fprintf(out, "%-10d %16.0f %22.0f %7.1fx\n", sources, ours->second / 1e6,
                   reference->second / 1e6, ours->second / reference->second);
    }
    // The price of volume and pan, against the plain sum of the same run.
    auto full = throughput_.find("MixBlock/8channels/scaled:0");
    auto scaled = throughput_.find("MixBlock/8channels/scaled:1");
    if (full != throughput_.end() && scaled != throughput_.end() && scaled->second > 0) {
      std::fprintf(out,
                   "\nMixBlock, eight channels scaled against every volume full (reference):\n");
      std::fprintf(out, "%-10s %16.0f MB/s %16.0f MB/s %7.2fx the time\n", "8 channels",
                   scaled->second / 1e6, full->second / 1e6, full->second / scaled->second);
    }
  }

 private:
  benchmark::BenchmarkReporter& display_;
  std::map<std::string, double> throughput_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The display reporter belongs to the library; --benchmark_out gets its own file reporter.
  RatioReporter reporter(*benchmark::CreateDefaultDisplayReporter());
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
