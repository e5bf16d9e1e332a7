#pragma once
// Test Setup > Waveform Control...: the waveform control's settings in one form.
#include "program/program.h"

namespace control {

inline constexpr const char* kWaveformTitle = "Waveform Control";

// Shows the form with the settings in force; on OK every number is checked against its
// bounds (an " Out Of Bounds" box names the first one outside and the form comes back with
// what was typed) and all are stored together in the profile. Cancel changes nothing.
void AskWaveformControl(Program& p);

}  // namespace control
