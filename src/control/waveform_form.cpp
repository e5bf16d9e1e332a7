#include "control/waveform_form.h"

#include <iterator>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "control/waveform.h"
#include "shaping/settings.h"

namespace control {

namespace {

constexpr const char* kBoundsTitle = " Out Of Bounds";
constexpr const char* kNote =
    "Between pulses the drive is shaped from the response measured on every pulse of this "
    "profile, so that the whole pulse follows the reference. Off, the drive is the "
    "synthesised one with its gain. A run stops when the drive would pass the give-up factor "
    "times the synthesised drive's peak, or the maximum drive level.";

struct NumberField {
  const char* Caption;
  shaping::Bound Bounds;
  const char* Range;  // as the refusal names it
};

constexpr NumberField kNumbers[] = {
    {"Correction gain", shaping::kGainBounds, ".1 and 1.5"},
    {"Regularisation (% of the response)", shaping::kRegBounds, ".1 and 30 %"},
    {"Band limit (% of the sampling frequency)", shaping::kBandBounds, "10 and 50 %"},
    {"Give-up factor (x the synthesised drive's peak)", shaping::kGiveUpBounds, "1.2 and 4"},
};
constexpr int kNumberCount = static_cast<int>(std::size(kNumbers));

std::string Plain(double v) {
  std::string s = common::PromptDefaultText(static_cast<float>(v));
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

}  // namespace

void AskWaveformControl(Program& p) {
  shaping::Settings s = shaping::SettingsOf(p.profile.Record);
  double* const values[kNumberCount] = {&s.Gain, &s.RegPct, &s.BandPct, &s.GiveUpFactor};
  std::vector<ui::FormField> f;
  f.push_back({"Shape the drive from the measured response", true, s.On, ""});
  for (int i = 0; i < kNumberCount; ++i)
    f.push_back({kNumbers[i].Caption, false, false, Plain(*values[i])});
  for (;;) {
    if (!p.platform.FormDialog(kWaveformTitle, kNote, f)) return;
    if (f.size() != kNumberCount + 1) return;  // a platform that lost fields stores nothing
    std::string refusal;
    for (int i = 0; i < kNumberCount && refusal.empty(); ++i) {
      const auto& n = kNumbers[i];
      double v;
      if (common::ParseNumber(f[i + 1].Text, v) && v >= n.Bounds.Low && v <= n.Bounds.High)
        *values[i] = v;
      else
        refusal = " " + std::string(n.Caption) + ": the Number must be between " + n.Range + ".";
    }
    if (refusal.empty()) break;
    p.platform.MessageBox(refusal, ui::Buttons::OK, ui::Icon::None, kBoundsTitle);
  }
  s.On = f.front().Checked;
  const shaping::Settings before = shaping::SettingsOf(p.profile.Record);
  shaping::StoreSettings(s, p.profile.Record);
  // What was learnt belongs to the settings it was learnt with; switched off, the next
  // pulse plays the synthesised drive again.
  const shaping::Settings after = shaping::SettingsOf(p.profile.Record);
  if (after.On != before.On || after.Gain != before.Gain || after.RegPct != before.RegPct ||
      after.BandPct != before.BandPct || after.GiveUpFactor != before.GiveUpFactor)
    ClearWaveform(p);
}

}  // namespace control
