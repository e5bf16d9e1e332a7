// The oscillator spectra of the reference and all sixteen channels at 10.24 kHz: 84
// natural frequencies, maximax, primary and residual of each of the 17 records.
#include <benchmark/benchmark.h>

#include "analysis/srs_inputs.h"
#include "plot_scene.h"
#include "support/test_platform.h"

namespace {

void BM_SrsReferenceAndSixteenChannels(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  bench_scene::PrepareSixteenChannels(p);
  p.wave.SampleFactor = 8;       // 10.24 kHz
  p.wave.PulseSamples = 102.4f;  // the same 10 ms pulse
  uint32_t all = 0;
  for (int c = 1; c <= 16; ++c) all |= analysis::ChannelBit(c);
  for (auto _ : state) {
    analysis::ComputeProgramSrs(p, all);
    benchmark::DoNotOptimize(p.srs.Result.Maximax.data());
  }
  state.counters["frequencies"] = p.srs.Result.Count;
}
BENCHMARK(BM_SrsReferenceAndSixteenChannels)->Unit(benchmark::kMillisecond);

}  // namespace
