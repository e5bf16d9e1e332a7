// One synthesis and one kinematics pass, for the default profile and for the profiles
// that need the most drive passes.
#include <benchmark/benchmark.h>

#include "program/program.h"
#include "profile/kinematics.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "support/test_platform.h"

namespace {

enum class Case { Default, SlowestBuiltIn, HugeCustom };

void Prepare(Program& p, Case c) {
  profile::SetProfileDefaults(p);
  using namespace profile::row;
  if (c == Case::SlowestBuiltIn) {
    // The most drive passes of any built-in shape: a long unclipped cusp at the lowest
    // rate, whose running sum grows through the whole record.
    p.Row(PulseShape) = 7;
    p.Row(PulseDuration) = 99;
    p.Row(SampleRateCode) = 1;
    p.Row(LoadCompensation) = 0;
    p.Row(CompMode) = 2;
  } else if (c == Case::HugeCustom) {
    p.Row(PulseShape) = 9;
    p.Row(SampleRateCode) = 1;
    for (int i = 0; i < 1024; ++i) p.profile.CustomShape[i] = 1e6f;
  }
  p.plot.TestLevelG = p.Row(PulseAmplitude);
  profile::SynthesizePulse(p);
}

void BM_SynthesizePulse(benchmark::State& state) {
  testing_support::TestPlatform platform;
  Program p(platform);
  Prepare(p, static_cast<Case>(state.range(0)));
  for (auto _ : state) {
    profile::SynthesizePulse(p);
    benchmark::DoNotOptimize(p.wave.DriveCodes.data());
  }
  state.counters["scale"] = p.wave.DriveScale;
}

void BM_ComputeReferenceKinematics(benchmark::State& state) {
  testing_support::TestPlatform platform;
  Program p(platform);
  Prepare(p, static_cast<Case>(state.range(0)));
  profile::KinematicsTrace trace;
  for (auto _ : state) {
    profile::ComputeReferenceKinematics(p, &trace);
    benchmark::DoNotOptimize(trace.Displacement.data());
  }
}

}  // namespace

BENCHMARK(BM_SynthesizePulse)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ComputeReferenceKinematics)->Arg(0)->Arg(1)->Arg(2);
