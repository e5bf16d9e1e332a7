// Start-up to the shown window, without the splash: the core's part of it.
#include <benchmark/benchmark.h>

#include <utility>

#include "app/events.h"
#include "support/test_platform.h"

static void BM_MainInitialize(benchmark::State& state) {
  for (auto _ : state) {
    testing_support::TestPlatform plat;
    Program prog(plat);
    app::HandleEvent(prog, app::Event::Of(app::EventKind::SplashDone));
    benchmark::DoNotOptimize(std::as_const(prog.win.Shown));
  }
}
BENCHMARK(BM_MainInitialize)->Unit(benchmark::kMicrosecond);
