#pragma once
#include "app/program.h"

namespace profile {
// The reference pulse with its compensation pulses, and the drive codes.
void SynthesizePulse(Program& p);
}  // namespace profile
