// One full-level pulse as the pacing timer runs it in demo mode: capture, redraw with
// the peak measurement, trip checks and the between-pulse correction. The budget is 5 %
// of the shortest repetition period (100 ms), 5 ms.
#include <benchmark/benchmark.h>

#include <utility>

#include "app/timers.h"
#include "control/equalize.h"
#include "daq/acquisition.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace {

using ui::MenuId;
namespace row = profile::row;

void DemoSetup(Program& p) {
  profile::SetProfileDefaults(p);
  daq::InitAcquisition(p);
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
  p.daq.DemoMode = 1.0f;
  profile::RecomputeProfile(p);
  p.Row(row::RepetitionMode) = 2;
  p.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
  p.Row(row::TotalPulses) = 9999;
}

void BM_FullLevelPulse(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  DemoSetup(p);
  control::Equalize(p);
  for (auto _ : state) {
    // Re-armed each time so that a trip or the count never idles the loop.
    p.win.Check(MenuId::mnuRunStart, true);
    p.control.SystemEqualized = 1;
    p.run.PulseCount = 0;
    app::TimerTick(p, ui::kPacingTimer);
    // Read-only: the writable form lets the compiler hand back a register's garbage.
    benchmark::DoNotOptimize(std::as_const(p.Row(row::DriveGain)));
  }
  state.counters["boxes"] = static_cast<double>(h.plat.Boxes.size());
}
BENCHMARK(BM_FullLevelPulse)->Unit(benchmark::kMicrosecond);

// The 20 passes run inside one tick; the window is frozen meanwhile except for the
// pass label.
void BM_EqualizeTwentyPasses(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  DemoSetup(p);
  for (auto _ : state) {
    control::Equalize(p);
    benchmark::DoNotOptimize(std::as_const(p.Row(row::DriveGain)));
  }
}
BENCHMARK(BM_EqualizeTwentyPasses)->Unit(benchmark::kMicrosecond);

}  // namespace
