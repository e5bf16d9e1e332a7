#include "profile/kinematics.h"

namespace profile {
void ComputeReferenceKinematics(Program& p, KinematicsTrace*) { CheckSystemLimits(p); }
void CheckSystemLimits(Program&) {}
void SetUnitSystem(Program&, int) {}
void SelectSampleRate(Program&, int) {}
}  // namespace profile
