// Acceptance of all sixteen channels after a pulse, from the scan buffers to the verdicts:
// a 10 ms pulse at 5.12 kHz, and the longest pulse a record holds at 10.24 kHz, where the
// alignment search is widest.
#include <benchmark/benchmark.h>

#include <cmath>

#include "analysis/accept_program.h"
#include "plot_scene.h"
#include "support/test_platform.h"

namespace {

void BM_AcceptSixteenChannels(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  bench_scene::PrepareSixteenChannels(p);
  p.plot.TestLevelG = 15;
  if (state.range(0) == 8) {
    p.wave.SampleFactor = 8;
    p.wave.PulseSamples = 204.8f;  // a 20 ms pulse: the main pulse ends at the record's end
    for (int i = 0; i < 1024; ++i) {
      const double t = (i - 819.2) / 204.8;
      p.wave.ReferencePulse[i] = t > 0 && t < 1 ? static_cast<float>(80 * std::sin(M_PI * t)) : 0;
    }
  }
  int passes = 0;
  for (auto _ : state) {
    passes = 0;
    for (int c = 1; c <= 16; ++c)
      passes += analysis::JudgeChannel(p, c).verdict == analysis::Verdict::Pass;
    benchmark::DoNotOptimize(passes);
  }
  state.counters["pulse_samples"] = p.wave.PulseSamples;
}
BENCHMARK(BM_AcceptSixteenChannels)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
