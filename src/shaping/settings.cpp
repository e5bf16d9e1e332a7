#include "shaping/settings.h"

#include <cmath>

namespace shaping {

namespace {

namespace row = profile::row;

bool Inside(double v, Bound b) {
  return v >= b.Low && v <= b.High;  // false for NaN
}

double Read(float v, Bound b, double fallback) {
  return Inside(v, b) ? v : fallback;
}

float Written(double v, double fallback) {
  return v == fallback ? 0.0f : static_cast<float>(v);
}

}  // namespace

const char* OutOfBounds(const Settings& s) {
  if (!Inside(s.Gain, kGainBounds)) return "Correction gain";
  if (!Inside(s.RegPct, kRegBounds)) return "Regularisation";
  if (!Inside(s.BandPct, kBandBounds)) return "Band limit";
  if (!Inside(s.GiveUpFactor, kGiveUpBounds)) return "Give-up factor";
  return nullptr;
}

Settings SettingsOf(const profile::ShockProfile& r) {
  const Settings d;
  Settings s;
  s.On = r.Value[row::ShapingOn] == 1;
  s.Gain = Read(r.Value[row::ShapingGain], kGainBounds, d.Gain);
  s.RegPct = Read(r.Value[row::ShapingRegPct], kRegBounds, d.RegPct);
  s.BandPct = Read(r.Value[row::ShapingBandPct], kBandBounds, d.BandPct);
  s.GiveUpFactor = Read(r.Value[row::ShapingGiveUp], kGiveUpBounds, d.GiveUpFactor);
  return s;
}

void StoreSettings(const Settings& s, profile::ShockProfile& r) {
  const Settings d;
  r.Value[row::ShapingOn] = s.On ? 1.0f : 0.0f;
  r.Value[row::ShapingGain] = Written(s.Gain, d.Gain);
  r.Value[row::ShapingRegPct] = Written(s.RegPct, d.RegPct);
  r.Value[row::ShapingBandPct] = Written(s.BandPct, d.BandPct);
  r.Value[row::ShapingGiveUp] = Written(s.GiveUpFactor, d.GiveUpFactor);
}

}  // namespace shaping
