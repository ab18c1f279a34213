// SPDX-License-Identifier: MIT
// music-open-bench: how long the game's music player takes to open the finale, with the
// synthesizer preloaded (as the game has it by the finale) beside a cold open that loads the
// soundfont itself. The output is WAVEMIX_OUTPUT's (SDL by default). Run from build/bin, where
// dat/1.mid stands.
#include <benchmark/benchmark.h>

#include <chrono>

#include "music/media_player.h"
#include "platform/mci/synth_preload.h"
#include "platform/module/module.h"

namespace {

void OpenTimed(benchmark::State& state, TMediaPlayer& player) {
  const auto start = std::chrono::steady_clock::now();
  player.Open();
  state.SetIterationTime(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  player.Close();
}

void BM_OpenCold(benchmark::State& state) {
  TMediaPlayer player;
  player.SetFileName(module::AssetPath("dat/1.mid"));
  for (auto _ : state) OpenTimed(state, player);
}

void BM_OpenPreloaded(benchmark::State& state) {
  TMediaPlayer player;
  player.SetFileName(module::AssetPath("dat/1.mid"));
  for (auto _ : state) {
    mci::PreloadSynthesizer();
    mci::WaitForPreload();
    OpenTimed(state, player);
  }
}

}  // namespace

BENCHMARK(BM_OpenCold)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenPreloaded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_MAIN();
