#include "profile/kinematics.h"

#include <cmath>

#include "profile/recompute.h"

namespace profile {

using ui::MenuId;

namespace {

// The reference integrated at `levelG`: the display's constants in double precision, each
// result stored in single precision, as the original display integrates it.
ReferencePeaks Integrate(const Program& p, double levelG, KinematicsTrace* trace) {
  ReferencePeaks peaks;
  const double m = p.wave.SampleFactor < 1 ? 1.0 : static_cast<double>(p.wave.SampleFactor);
  const double step = 0.25 * m;
  float velocity = 0, displacement = 0;
  if (trace) {
    trace->Accel[0] = trace->Velocity[0] = trace->Displacement[0] = 0;
    trace->Accel[kWaveSamples - 1] = trace->Velocity[kWaveSamples - 1] = 0;
    trace->Displacement[kWaveSamples - 1] = 0;
  }
  for (int i = 1; i < kWaveSamples - 1; ++i) {
    const float accel = ReferenceGSingle(p.wave, i, levelG);
    velocity = static_cast<float>(velocity + accel * 0.08 / step);
    displacement = static_cast<float>(displacement + velocity * 0.153 / step);
    if (std::fabs(accel) > peaks.A) peaks.A = std::fabs(accel);
    if (std::fabs(velocity) > peaks.V) peaks.V = std::fabs(velocity);
    if (std::fabs(displacement) > peaks.D) peaks.D = std::fabs(displacement);
    if (trace) {
      trace->Accel[i] = accel;
      trace->Velocity[i] = velocity;
      trace->Displacement[i] = displacement;
    }
  }
  return peaks;
}

}  // namespace

ReferencePeaks ReferencePeaksAt(const Program& p, double levelG) {
  return Integrate(p, levelG, nullptr);
}

void ComputeReferenceKinematics(Program& p, KinematicsTrace* trace, bool checkLimits) {
  auto& plot = p.plot;
  const ReferencePeaks peaks = Integrate(p, plot.TestLevelG, trace);
  plot.RefPeakA = peaks.A;
  plot.RefPeakV = peaks.V;
  plot.RefPeakD = peaks.D;
  if (checkLimits) CheckSystemLimits(p);
}

bool PeaksInLimitUnits(float unitSystem, const ReferencePeaks& peaks, ReferencePeaks& out) {
  // Test values in the units the limits are held in: peak-to-peak displacement.
  if (unitSystem == 0) {
    out = {peaks.A, peaks.V, 2 * peaks.D};
  } else if (unitSystem == 1) {
    out = {peaks.A * 9.807f, peaks.V * 2.54f, peaks.D * 0.0508f};
  } else if (unitSystem == 2) {
    // Hybrid limits are held in mm, cm/s and G; they warn like the other two systems.
    out = {peaks.A, peaks.V * 2.54f, peaks.D * 0.0508f};
  } else {
    return false;
  }
  return true;
}

ExceededLimit FirstExceededLimit(const Program& p, const ReferencePeaks& peaks) {
  ReferencePeaks t;
  if (!PeaksInLimitUnits(p.Row(row::UnitSystem), peaks, t)) return ExceededLimit::None;
  if (t.D > p.Row(row::LimitD)) return ExceededLimit::Displacement;
  if (t.V > p.Row(row::LimitV)) return ExceededLimit::Velocity;
  if (t.A > p.Row(row::LimitA)) return ExceededLimit::Acceleration;
  return ExceededLimit::None;
}

void CheckSystemLimits(Program& p) {
  const auto& plot = p.plot;
  ReferencePeaks t;
  if (PeaksInLimitUnits(p.Row(row::UnitSystem), {plot.RefPeakA, plot.RefPeakV, plot.RefPeakD}, t)) {
    auto warn = [&](const char* text) {
      p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, "");
    };
    if (t.D > p.Row(row::LimitD)) warn(" Test Displacement > System D Limit ");
    if (t.V > p.Row(row::LimitV)) warn(" Test Velocity > System V Limit ");
    if (t.A > p.Row(row::LimitA)) warn(" Test Acceleration > System A Limit ");
  }
  p.daq.GainPeakG = plot.RefPeakA;
}

namespace {

struct UnitFactors {
  float Accel, Velocity, Displacement;
};

// [from][to]: amplitude and acceleration limit, velocity limit, displacement limit.
constexpr UnitFactors kUnitFactors[3][3] = {
    {{1, 1, 1}, {9.807f, 2.54f, 0.0254f}, {1, 2.54f, 0.0254f}},
    {{0.102f, 0.3937f, 39.37f}, {1, 1, 1}, {0.102f, 1, 1}},
    {{1, 0.3937f, 39.37f}, {9.807f, 1, 1}, {1, 1, 1}},
};

}  // namespace

void SetUnitSystem(Program& p, int target) {
  if (target < 0 || target > 2) return;
  static constexpr MenuId kItems[3] = {MenuId::mnuSystemUnitsEnglish, MenuId::mnuSystemUnitsMetric,
                                       MenuId::mnuSystemUnitsHybrid};
  for (int u = 0; u < 3; ++u) p.win.Check(kItems[u], u == target);
  const float from = p.Row(row::UnitSystem);
  if (from == static_cast<float>(target)) return;
  // A system that is none of the three (a damaged file) converts nothing.
  for (int s = 0; s < 3; ++s) {
    if (from != static_cast<float>(s)) continue;
    const UnitFactors& f = kUnitFactors[s][target];
    p.Row(row::PulseAmplitude) *= f.Accel;
    p.Row(row::LimitA) *= f.Accel;
    p.Row(row::LimitV) *= f.Velocity;
    p.Row(row::LimitD) *= f.Displacement;
  }
  p.Row(row::UnitSystem) = static_cast<float>(target);
  RecomputeProfile(p);
}

int SampleRateCodeForDuration(float d) {
  if (d < 5) return 4;
  if (5 <= d && d <= 19.99f) return 3;
  if (20 <= d && d <= 39.99f) return 2;
  if (d >= 40) return 1;
  return 0;
}

void SelectSampleRate(Program& p, int code) {
  if (code < 1 || code > 4) return;
  static constexpr MenuId kItems[4] = {MenuId::mnuShockSample128, MenuId::mnuShockSample256,
                                       MenuId::mnuShockSample512, MenuId::mnuShockSample1024};
  for (int c = 1; c <= 4; ++c) p.win.Check(kItems[c - 1], c == code);
  p.Row(row::SampleRateCode) = static_cast<float>(code);
  p.wave.SampleFactor = static_cast<int16_t>(1 << (code - 1));
  p.daq.AdcRate = 1280 * p.wave.SampleFactor;
}

void SelectSampleRate(Program& p) {
  int code = SampleRateCodeForDuration(p.Row(row::PulseDuration));
  if (code == 0) return;
  SelectSampleRate(p, code);
  RecomputeProfile(p);
}

}  // namespace profile
