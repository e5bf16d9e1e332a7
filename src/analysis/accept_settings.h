#pragma once
// Test Setup > Tolerance...: every acceptance setting in one dialog.
#include "program/program.h"

namespace analysis {

inline constexpr const char* kToleranceTitle = "Pulse Acceptance Tolerances";

// Shows the dialog with the settings in force; on OK every number is checked against its
// range (an " Out Of Bounds" box names the first one outside and the dialog comes back with
// what was typed) and all are stored together. Cancel changes nothing. True when stored.
bool AskTolerances(Program& p);

// The first tolerance setting of the record that the dialog would refuse, as its refusal
// names it ("" when all are within their ranges). 0 stands for the program's default.
std::string ToleranceOutOfBounds(const Program& p);

}  // namespace analysis
