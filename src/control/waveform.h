#pragma once
// The waveform control in the firing flow: every pulse of the profile teaches the estimate,
// and once the equalisation (the identification) stands, pre-test and full-level pulses of
// Auto mode fire the shaped drive at their level. Off (the default) nothing here runs.
#include <string>

#include "program/program.h"

namespace control {

inline constexpr const char* kGiveUpTitle = " KRX-8 Error Message";

// The profile's waveform control is on and the pulses are level-controlled (Auto mode).
bool WaveformOn(const Program& p);
// The next pulse fires the shaped drive (and no scalar gain correction follows it).
bool ShapedDriveFires(const Program& p);

// Before a pulse: the shaped drive scaled to the pulse's level, held to the give-up rule
// and realised into DriveCodes and DrivePeakCounts. False when the rule stopped the run.
bool PrepareShapedDrive(Program& p);

// After a pulse was recorded: it is learnt from and the next drive made. False when the
// give-up rule stopped the run.
bool LearnFromPulse(Program& p);

// Forgets what was learnt, wherever the equalisation is forgotten.
void ClearWaveform(Program& p);

// "WAVEFORM CONTROL  error 3.2 %  pulse 4" of the last shaped pulse; empty when none.
std::string WaveformStatusText(const Program& p);

// The give-up's measure in words (the stop's detail), and the box's whole text.
std::string GiveUpMeasure(const shaping::Outcome& o);
// The give-up box's text for an outcome's reason and measure.
std::string GiveUpText(const shaping::Outcome& o);

}  // namespace control
