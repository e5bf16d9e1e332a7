#pragma once
// The operator's settings of the waveform control, with their bounds and their profile rows.
#include "program/record.h"

namespace shaping {

struct Settings {
  bool On = false;
  double Gain = 1.0;        // correction gain alpha
  double RegPct = 3;        // regularisation beta, % of the largest usable response
  double BandPct = 45;      // band limit f_hi, % of the sampling frequency
  double GiveUpFactor = 2;  // x the synthesised drive's peak at the same level
};

struct Bound {
  double Low, High;
};
inline constexpr Bound kGainBounds{0.1, 1.5};
inline constexpr Bound kRegBounds{0.1, 30};
inline constexpr Bound kBandBounds{10, 50};
inline constexpr Bound kGiveUpBounds{1.2, 4};

// The name of the first setting outside its bounds (as the form names it), or nullptr.
const char* OutOfBounds(const Settings& s);

// From the profile rows: 0, a value that is not finite or one outside its bounds (a damaged
// file) reads as the default, so older profiles read as off.
Settings SettingsOf(const profile::ShockProfile& r);
// Into the profile rows; a default is written as 0, so an untouched profile stays as it was.
void StoreSettings(const Settings& s, profile::ShockProfile& r);

}  // namespace shaping
