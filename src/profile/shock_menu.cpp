// The Shock Setup menu and the profile items of the File menu.
#include "common/number_text.h"
#include "common/prompt.h"
#include "daq/acquisition.h"
#include "daq/discovery.h"
#include "display/plot.h"
#include "display/status_panel.h"
#include "profile/bounds.h"
#include "profile/kinematics.h"
#include "profile/legacy_file.h"
#include "profile/menu.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "profile/waveshape_file.h"

namespace profile {

using ui::MenuId;

namespace {

constexpr const char* kPromptTitle = "Setup Shock Pulse";
constexpr const char* kBoundsTitle = " Out Of Bounds";

constexpr const char* kAmplitudeMetric = "Enter Shock Pulse Amplitude in M/Sec^2";
constexpr const char* kFrequencyPrompt = "Shock Pulse Duration Entered In Hertz";
constexpr const char* kFrequencyBounds = " The Number must be between 5 and 1000.";
constexpr const SettingBounds& kAmplitude = BoundsOf(row::PulseAmplitude);
constexpr const SettingBounds& kDuration = BoundsOf(row::PulseDuration);

constexpr const char* kLongForTime =
    " Long duration pulses require Sampling Rates of 2.56 Khz or less; the rate has been "
    "changed. Slower repition tates may also be required.";
constexpr const char* kLongForFrequency =
    " Long duration pulses require Sampling Rates of 2.56 Khz or less; the rate has been "
    "changed.Lower Repetition Rates may also be required.";
constexpr const char* kShort =
    " Short duration pulses require Sampling Rates of 10.24 Khz; the rate has been changed.";
constexpr const char* kBelowOneMs = " System performance is not specified below 1 msec.";
constexpr const char* kLowFrequency =
    " Shaker system low-frequency performance may affect test results above 20 msec.";

constexpr float kAutoCompPercent = 13;

struct ValueAnswer {
  bool Numeric = false;
  bool InBounds = false;
  double X = 0;
};

// Steps 1 to 3 of every value command: the prompt, and the bounds box for a number outside.
ValueAnswer AskShockValue(Program& p, const std::string& prompt, const std::string& def,
                          const SettingBounds& b) {
  ValueAnswer a;
  auto v = common::AskNumber(p.platform, prompt, kPromptTitle, def);
  if (!v) return a;
  a.Numeric = true;
  a.X = *v;
  a.InBounds = b.Within(a.X);
  if (!a.InBounds) p.platform.MessageBox(b.Refusal, ui::Buttons::OK, ui::Icon::None, kBoundsTitle);
  return a;
}

// An information box, shown whether or not the number was in bounds.
void Inform(Program& p, bool condition, const char* text) {
  if (condition) p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, "");
}

void ShockAmplitude(Program& p) {
  // Hybrid units hold the amplitude in G like English units, so they get the G prompt.
  const char* prompt = p.Row(row::UnitSystem) == 1 ? kAmplitudeMetric : kAmplitude.Prompt;
  ValueAnswer a =
      AskShockValue(p, prompt, common::PromptDefaultText(p.Row(row::PulseAmplitude)), kAmplitude);
  if (a.InBounds) {
    p.Row(row::PulseAmplitude) = static_cast<float>(a.X);
    p.win.Check(MenuId::mnuViewTest, true);
    display::RefreshPlot(p);
  }
  if (a.Numeric) {
    daq::SelectInputGains(p);
    daq::ComputeChannelScales(p);
  }
}

void ShockDurationTime(Program& p) {
  ValueAnswer a = AskShockValue(p, kDuration.Prompt,
                                common::PromptDefaultText(p.Row(row::PulseDuration)), kDuration);
  if (!a.Numeric) return;
  const double x = a.X;
  Inform(p, x > 20, kLongForTime);
  Inform(p, x < 5, kShort);
  Inform(p, x < 1, kBelowOneMs);
  Inform(p, x >= 20, kLowFrequency);
  if (!a.InBounds) return;
  p.Row(row::PulseDuration) = static_cast<float>(x);
  SelectSampleRate(p);
}

void ShockDurationFreq(Program& p) {
  // A pulse of frequency f lasts half a period. A duration of 0 (only a file can hold one)
  // offers no default rather than an infinite one.
  const float d = p.Row(row::PulseDuration);
  std::string def = d != 0 ? common::PromptDefaultText(500.0f / d) : std::string();
  // The duration's bounds as frequencies (500 / 100 ms and 500 / 0.5 ms), for the same row.
  constexpr SettingBounds hz{row::PulseDuration, 500 / kDuration.High, 500 / kDuration.Low,
                             kFrequencyPrompt, kFrequencyBounds};
  ValueAnswer a = AskShockValue(p, hz.Prompt, def, hz);
  if (!a.Numeric) return;
  const double f = a.X;
  Inform(p, f < 25, kLongForFrequency);
  Inform(p, f > 100, kShort);
  Inform(p, f > 500, kBelowOneMs);
  Inform(p, f <= 25, kLowFrequency);
  if (!a.InBounds) return;
  p.Row(row::PulseDuration) = 500.0f / static_cast<float>(f);
  SelectSampleRate(p);
}

void CompLevel(Program& p, const SettingBounds& b) {
  ValueAnswer a =
      AskShockValue(p, b.Prompt, common::PromptDefaultText(p.wave.CompLevelInEffect * 100.0f), b);
  if (!a.InBounds) return;
  // Stored whatever the mode; the synthesis uses it in manual mode only.
  p.Row(b.Row) = static_cast<float>(a.X);
  SynthesizePulse(p);
  RecomputeProfile(p);
}

// The Triangle item also restarts the hardware. As when a profile is opened, the start-up
// runs before the recompute, so the new pulse, drive and redraw are made from the record
// the start-up leaves.
void ChooseShape(Program& p, MenuId item, float code, bool restartHardware = false) {
  p.win.CheckOnly(item, MenuId::mnuShockShapeHalfsine, MenuId::mnuShockShapeTriangle,
                  MenuId::mnuShockShapeTrap, MenuId::mnuShockShapeIPSaw, MenuId::mnuShockShapeTPSaw,
                  MenuId::mnuShockShapeQuarter, MenuId::mnuShockShapeCusp,
                  MenuId::mnuShockShapeSineBurst, MenuId::mnuShockShapeCustom);
  p.Row(row::PulseShape) = code;
  if (restartHardware && daq::HardwareStartup(p)) display::UpdateStatusPanel(p);
  RecomputeProfile(p);
}

void ChoosePolarity(Program& p, MenuId item) {
  p.win.CheckOnly(item, MenuId::mnuShockPolarityPos, MenuId::mnuShockPolarityNeg);
  p.Row(row::Polarity) = p.win.Checked(MenuId::mnuShockPolarityNeg) ? 2.0f : 1.0f;
  SynthesizePulse(p);
}

void ChooseRepetition(Program& p, MenuId item) {
  p.win.CheckOnly(item, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
  p.Row(row::RepetitionMode) = p.win.Checked(MenuId::mnuShockRepRep) ? 2.0f : 1.0f;
  // The mode only paces the run: nothing to resynthesise or redraw.
}

void ChooseSampling(Program& p, int code) {
  SelectSampleRate(p, code);
  RecomputeProfile(p);
}

void CompAutomatic(Program& p) {
  p.win.Check(MenuId::mnuShockCompManual, false);
  p.win.Check(MenuId::mnuShockCompAuto, true);
  p.Row(row::CompMode) = 0;
  // The automatic levels come from the shape; the stored percentages are only reset.
  p.Row(row::PreCompPercent) = kAutoCompPercent;
  p.Row(row::PostCompPercent) = kAutoCompPercent;
  SynthesizePulse(p);
}

void CompManual(Program& p) {
  p.win.Check(MenuId::mnuShockCompManual, true);
  p.win.Check(MenuId::mnuShockCompAuto, false);
  p.Row(row::CompMode) = 1;
  if (p.Row(row::PreCompPercent) < 1) p.Row(row::PreCompPercent) = kAutoCompPercent;
  if (p.Row(row::PostCompPercent) < 1) p.Row(row::PostCompPercent) = kAutoCompPercent;
  SynthesizePulse(p);
}

}  // namespace

bool OnMenu(Program& p, MenuId id, int) {
  switch (id) {
    case MenuId::mnuFileOpenProfile:
      OpenProfile(p);
      return true;
    case MenuId::mnuFileOpenLegacyProfile:
      OpenLegacyProfile(p);
      return true;
    case MenuId::mnuFileSaveProfile:
      SaveProfile(p);
      return true;

    case MenuId::mnuShockShapeHalfsine:
      ChooseShape(p, id, 1);
      return true;
    case MenuId::mnuShockShapeTriangle:
      ChooseShape(p, id, 4, true);
      return true;
    case MenuId::mnuShockShapeTrap:
      ChooseShape(p, id, 5);
      return true;
    case MenuId::mnuShockShapeIPSaw:
      ChooseShape(p, id, 3);
      return true;
    case MenuId::mnuShockShapeTPSaw:
      ChooseShape(p, id, 2);
      return true;
    case MenuId::mnuShockShapeQuarter:
      ChooseShape(p, id, 6);
      return true;
    case MenuId::mnuShockShapeCusp:
      ChooseShape(p, id, 7);
      return true;
    case MenuId::mnuShockShapeSineBurst:
      ChooseShape(p, id, 8);
      return true;
    case MenuId::mnuShockShapeCustom:
      LoadCustomShape(p);
      return true;

    case MenuId::mnuShockAmplitude:
      ShockAmplitude(p);
      return true;
    case MenuId::mnuShockDurationTime:
      ShockDurationTime(p);
      return true;
    case MenuId::mnuShockDurationFreq:
      ShockDurationFreq(p);
      return true;

    case MenuId::mnuShockPolarityPos:
    case MenuId::mnuShockPolarityNeg:
      ChoosePolarity(p, id);
      return true;
    case MenuId::mnuShockRepSingle:
    case MenuId::mnuShockRepRep:
      ChooseRepetition(p, id);
      return true;

    case MenuId::mnuShockSample128:
      ChooseSampling(p, 1);
      return true;
    case MenuId::mnuShockSample256:
      ChooseSampling(p, 2);
      return true;
    case MenuId::mnuShockSample512:
      ChooseSampling(p, 3);
      return true;
    case MenuId::mnuShockSample1024:
      ChooseSampling(p, 4);
      return true;

    case MenuId::mnuShockCompAuto:
      CompAutomatic(p);
      return true;
    case MenuId::mnuShockCompManual:
      CompManual(p);
      return true;
    case MenuId::mnuShockCompLevelsPre:
      CompLevel(p, BoundsOf(row::PreCompPercent));
      return true;
    case MenuId::mnuShockCompLevelsPost:
      CompLevel(p, BoundsOf(row::PostCompPercent));
      return true;
    default:
      return false;
  }
}

}  // namespace profile
