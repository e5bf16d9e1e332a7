#pragma once
// The last guard before a pulse is fired: the reference at the pulse's level must stay
// within the shaker's limits, whatever the operator answered to the profile's warnings.
#include "program/program.h"

namespace control {

// The level in G of the pulse about to be fired: LevelFactor x TestLevelG in Auto mode;
// the profile's full level in Manual and Transient modes.
double FiringLevelG(const Program& p);

// True when the reference at FiringLevelG stays within every system limit. Otherwise nothing
// is fired: the run stops as after a limit trip (drive released, "ABORTED") and one box
// names the limit and what the operator can do.
bool PulseWithinLimits(Program& p);

}  // namespace control
