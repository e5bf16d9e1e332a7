#pragma once
// Equalisation: the scalar drive gain that makes the control channel reach the wanted
// level, found in 20 pulses, and the lighter correction between full-level pulses.
#include "program/program.h"
#include "control/stop.h"

namespace control {

inline constexpr int kEqualizePasses = 20;
inline constexpr float kMaxDriveGain = 150;

// One pulse: the capture and analysis, or the stand-in of control::State when set.
// False when the pulse failed on the board (PulseFailed).
bool CapturePulse(Program& p);

// The 20 passes at the equalisation level and the verdict in lblStatus.
void Equalize(Program& p);

// After every full-level pulse: a quarter of the way towards the fully corrected gain.
void CorrectDriveGain(Program& p);

// The verdict texts; `gain` is the system gain 55 / DriveGain in G per volt.
std::string EqualizedText(float gain);
std::string NotEqualizedText(float gain);
// The verdict of an equalisation that a board failure ended at `pass`.
std::string FailedPassText(int pass);
using control::kEqualizationStoppedText;

}  // namespace control
