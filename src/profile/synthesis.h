#pragma once
#include "program/program.h"

namespace profile {
// The reference pulse with its compensation pulses, and the drive codes. Also brings
// SampleFactor, PulseSamples, CompLevelInEffect and AdcRate in line with the record.
void SynthesizePulse(Program& p);
}  // namespace profile
