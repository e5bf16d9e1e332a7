// RefreshPlot on the real Qt canvas at 1280x800, all sixteen channels with velocity and
// displacement: the figure that decides whether a pulse every 100 ms leaves the window
// responsive.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/plot_scene.h"
#include "display/plot.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "qt/main_window.h"
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

// The paint after a new drawing or a resize: the sixteen-channel plot drawn again at a large
// widget's pixel size, antialiased, on an ordinary (1) and a dense (2) screen.
static void BM_QtPlotAtWidgetSize(benchmark::State& state) {
  qtui::QtPlatform plat;
  Program p(plat);
  bench_scene::PrepareSixteenChannels(p);
  plat.Canvas().SetTargetSize(1280, 800);
  display::RefreshPlot(p);
  const qreal dpr = static_cast<qreal>(state.range(0));
  int k = 0;
  for (auto _ : state) {
    // Two sizes in turn, so that every call draws instead of returning the kept image.
    const QImage& img = plat.Canvas().Screen(QSize(1500 + (k++ & 1), 900), dpr);
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_QtPlotAtWidgetSize)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A test-profile refresh in the shown window: the drawing, the panel, and the repaint that
// lets the window show them before the limit check.
static void BM_QtRefreshTestProfileInWindow(benchmark::State& state) {
  qtui::QtPlatform plat;
  Program p(plat);
  qtui::MainWindow win(p, plat.Canvas());
  plat.SetWindow(&win);
  profile::SetProfileDefaults(p);
  profile::SyncProfileMenus(p);
  profile::SynthesizePulse(p);
  // No warning box may stop the loop.
  for (int r : {profile::row::LimitD, profile::row::LimitV, profile::row::LimitA}) p.Row(r) = 1e30f;
  p.win.Shown = true;
  win.resize(1180, 760);
  win.Sync();
  QApplication::processEvents();
  for (auto _ : state) {
    display::RefreshPlot(p);
    win.Sync();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_QtRefreshTestProfileInWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
