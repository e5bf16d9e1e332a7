#pragma once
// Reference velocity and displacement of the reference pulse, the system limits, the unit
// systems and the sampling frequency.
#include <array>

#include "program/program.h"

namespace profile {

// Per-sample traces for the test-profile plot: G, in/s and mils. Samples 0 and 1024 are
// not integrated and stay 0.
struct KinematicsTrace {
  std::array<float, kWaveSamples> Accel{}, Velocity{}, Displacement{};
};

// Peak |acceleration|, |velocity| and |displacement| of the reference: G, in/s and mils peak
// when integrated; in the limits' units after PeaksInLimitUnits.
struct ReferencePeaks {
  float A = 0, V = 0, D = 0;
};

// The peaks of the reference fired at `levelG`, integrated as the test-profile plot does.
ReferencePeaks ReferencePeaksAt(const Program& p, double levelG);
// Converts peaks to the units the limits of `unitSystem` are held in (displacement peak to
// peak); false for a unit system that has no limits (a damaged record).
bool PeaksInLimitUnits(float unitSystem, const ReferencePeaks& peaks, ReferencePeaks& out);

enum class ExceededLimit { None, Displacement, Velocity, Acceleration };
// The first system limit the peaks exceed, in the order the warnings come; equal passes.
ExceededLimit FirstExceededLimit(const Program& p, const ReferencePeaks& peaks);

// Integrates the reference pulse, sets RefPeakA, RefPeakV, RefPeakD, fills `trace` when
// given, and ends with CheckSystemLimits unless the caller runs it later itself.
void ComputeReferenceKinematics(Program& p, KinematicsTrace* trace = nullptr,
                                bool checkLimits = true);
// Up to three warnings; sets GainPeakG.
void CheckSystemLimits(Program& p);
// Converts amplitude and limits to the target unit system (0, 1, 2) and sets its check
// mark; recomputes the profile only when the system changes.
void SetUnitSystem(Program& p, int target);

// Chooses the sampling frequency code 1..4: sets SampleRateCode, SampleFactor and AdcRate
// together and checks its menu item. The caller recomputes the profile. Other codes are
// ignored.
void SelectSampleRate(Program& p, int code);
// The duration commands' choice: the code that suits PulseDuration, then the recompute.
// A duration in one of the two gaps (19.99..20, 39.99..40) changes nothing.
void SelectSampleRate(Program& p);
// 1..4 for a duration in ms, 0 for the gaps (and for a duration that is not a number).
int SampleRateCodeForDuration(float durationMs);

}  // namespace profile
