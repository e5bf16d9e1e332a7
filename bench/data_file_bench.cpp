// The text of the test data file after a demo pulse: the end of every auto-export run.
#include <benchmark/benchmark.h>

#include "control/capture.h"
#include "daq/acquisition.h"
#include "files/data_file.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace {

void BM_TestDataText(benchmark::State& state) {
  testing_support::Harness h;
  Program& p = h.prog;
  profile::SetProfileDefaults(p);
  p.daq.DemoMode = 1.0f;
  profile::RecomputeProfile(p);
  daq::InitAcquisition(p);
  daq::ComputeChannelScales(p);
  control::CaptureAndAnalyze(p);
  for (auto _ : state) {
    std::string text = files::TestDataText(p);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_TestDataText)->Unit(benchmark::kMicrosecond);

}  // namespace
