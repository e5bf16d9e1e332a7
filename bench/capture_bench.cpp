// One demo pulse: the simulation, the drive amplitude and the control-channel peak.
#include <benchmark/benchmark.h>

#include <utility>

#include "control/capture.h"
#include "daq/acquisition.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace {

void BM_DemoCaptureAndAnalyze(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  profile::SetProfileDefaults(p);
  p.daq.GainPeakG = 15;
  daq::InitAcquisition(p);
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
  for (int i = 0; i < 200; ++i)
    p.wave.ReferencePulse[i] = 80.0f * (1 - (i - 100) * (i - 100) / 1e4f);
  p.daq.DemoMode = 1.0f;
  for (auto _ : state) {
    control::CaptureAndAnalyze(p);
    benchmark::DoNotOptimize(std::as_const(p.control.ControlPeakG));
  }
}
BENCHMARK(BM_DemoCaptureAndAnalyze);

}  // namespace

namespace {

// The share of the platform's random source in one demo pulse: 1024 draws.
void BM_TestPlatformNoise1024(benchmark::State& state) {
  testing_support::TestPlatform plat;
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < 1024; ++i) sum += plat.Random();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_TestPlatformNoise1024);

}  // namespace
