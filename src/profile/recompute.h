#pragma once
// The profile defaults and the recompute chain run after every change of the profile.
#include "program/program.h"

namespace profile {
void SetProfileDefaults(Program& p);
void RecomputeProfile(Program& p);
void SyncProfileMenus(Program& p);
void ApplyCurrentSources(Program& p);
void ComputeDrivePeak(Program& p);
// False when the drive level could not be sent (a failed line write).
bool SendDriveAmplitude(Program& p);
}  // namespace profile
