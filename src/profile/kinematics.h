#pragma once
// Reference velocity and displacement of the reference pulse, and the system limits.
#include <array>

#include "app/program.h"

namespace profile {

// Per-sample traces for the test-profile plot: G, in/s and mils.
struct KinematicsTrace {
  std::array<float, kWaveSamples> Accel{}, Velocity{}, Displacement{};
};

// Integrates the reference pulse, sets RefPeakA, RefPeakV, RefPeakD, fills `trace` when
// given, and ends with CheckSystemLimits.
void ComputeReferenceKinematics(Program& p, KinematicsTrace* trace = nullptr);
// Up to three warnings; sets GainPeakG.
void CheckSystemLimits(Program& p);
// Converts amplitude and limits to the target unit system (0, 1, 2).
void SetUnitSystem(Program& p, int target);
// Chooses the sampling frequency code 1..4: sets SampleRateCode, SampleFactor and AdcRate.
void SelectSampleRate(Program& p, int code);

}  // namespace profile
