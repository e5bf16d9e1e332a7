// The plot refresh on the recording canvas at 1280 x 800: all sixteen response channels
// with velocity and displacement, and the test profile.
#include <benchmark/benchmark.h>

#include "display/plot.h"
#include "plot_scene.h"
#include "support/test_platform.h"

namespace {

void BM_RefreshPlotSixteenChannels(benchmark::State& state) {
  testing_support::Harness h;
  h.plat.Plot.W = 1280;
  h.plat.Plot.H = 800;
  bench_scene::PrepareSixteenChannels(h.prog);
  for (auto _ : state) {
    display::RefreshPlot(h.prog);
    benchmark::DoNotOptimize(h.plat.Plot.Items.data());
  }
  state.counters["lines"] = h.plat.Plot.CountLines();
}
BENCHMARK(BM_RefreshPlotSixteenChannels)->Unit(benchmark::kMillisecond);

void BM_RefreshPlotTestProfile(benchmark::State& state) {
  testing_support::Harness h;
  h.plat.Plot.W = 1280;
  h.plat.Plot.H = 800;
  bench_scene::PrepareSixteenChannels(h.prog);
  h.prog.win.Check(ui::MenuId::mnuViewTest, true);
  for (int c = 0; c < 16; ++c) h.prog.win.Check(ui::MenuId::mnuViewResponse, false, c);
  for (auto _ : state) display::RefreshPlot(h.prog);
}
BENCHMARK(BM_RefreshPlotTestProfile)->Unit(benchmark::kMillisecond);

}  // namespace
