// RefreshPlot on the real Qt canvas at 1280x800, all sixteen channels with velocity and
// displacement: the figure that decides whether a pulse every 100 ms leaves the window
// responsive.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "bench/plot_scene.h"
#include "display/plot.h"
#include "qt/qt_platform.h"

static void BM_QtRefreshPlotSixteenChannels(benchmark::State& state) {
  qtui::QtPlatform plat;
  Program p(plat);
  bench_scene::PrepareSixteenChannels(p);
  plat.Canvas().SetTargetSize(1280, 800);
  for (auto _ : state) {
    display::RefreshPlot(p);
    benchmark::DoNotOptimize(plat.Canvas().Picture().constBits());
  }
}
BENCHMARK(BM_QtRefreshPlotSixteenChannels)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
