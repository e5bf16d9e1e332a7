#pragma once
// The bounds of the profile's numeric settings, one row each. The Test Setup and Shock Setup
// prompts ask with its prompt and refuse with its text, the procedure file's check refuses a
// step that asks for more, a step's overrides are clamped to it and the trip checks read the
// abort level's: no file or run takes what the operator could not type.
#include <algorithm>

#include "program/record.h"

namespace profile {

struct SettingBounds {
  int Row;
  double Low, High;     // both ends are allowed
  const char* Prompt;   // the prompt box's text
  const char* Refusal;  // the Out Of Bounds box's text
  constexpr bool Within(double v) const { return Low <= v && v <= High; }
  constexpr double Clamp(double v) const { return std::clamp(v, Low, High); }
};

inline constexpr const char* kCompRefusal =
    " The Number must be between 1 and 25; the default value is 16.7.";

inline constexpr SettingBounds kSettingBounds[] = {
    // Test Setup
    {row::AbortLevelDb, 1, 20, "Enter the Abort Level in -Db.",
     " The Number must be between 1 and 20."},
    {row::PretestLevelDb, 0.5, 20, "Enter the PreTest Level in -Db.",
     " The Number must be between .5 and 20."},
    {row::EqualizeLevel, 0.5, 10, "Equalization Level", " The Number must be between .5 and 10."},
    {row::TotalPulses, 1, 9999, "Enter the total # of Shock Pulses.",
     " The Number must be between 1 and 9999."},
    {row::RepetitionRate, 0.1, 999, "Enter the Repetition Rate in seconds/pulse",
     " The Number must be between .1 and 999."},
    {row::MaxDriveVolts, 0.05, 10, "Enter the Maximum Drive Level in volts from 0.05 to 10.0.",
     " The Number must be between .05 and 10."},
    // Shock Setup; the amplitude's prompt in metric units is the menu's own.
    {row::PulseAmplitude, 0.5, 200, "Enter Shock Pulse Amplitude in G-peak",
     " The Number must be between 0.5 and 200."},
    {row::PulseDuration, 0.5, 100, "Shock Pulse Duration In Msec.",
     " The Number must be between 0.5 and 100."},
    {row::PreCompPercent, 1, 25,
     "Shock Pulse Pre-compensation Pulse In %; the default value is 16.7.", kCompRefusal},
    {row::PostCompPercent, 1, 25,
     "Shock Pulse Post-compensation Pulse In %; the default value is 16.7.", kCompRefusal},
};

// The bounds of `r`; a row that has none does not compile.
consteval const SettingBounds& BoundsOf(int r) {
  for (const auto& b : kSettingBounds)
    if (b.Row == r) return b;
  throw "the row has no bounds";
}

}  // namespace profile
