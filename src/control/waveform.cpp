#include "control/waveform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/accept_program.h"
#include "control/stop.h"
#include "daq/digital.h"
#include "shaping/drive_codes.h"

namespace control {

namespace row = profile::row;

namespace {

constexpr int kRecord = shaping::kRecord;

double PulseLevel(const Program& p) {
  return static_cast<double>(p.run.LevelFactor) * p.plot.TestLevelG;
}

shaping::Settings SettingsOf(const Program& p) {
  return shaping::SettingsOf(p.profile.Record);
}

// The synthesised codes, wherever they are kept while shaped codes play.
const std::array<int16_t, profile::kWaveSamples>& SynthCodes(const Program& p) {
  return p.shaping.CodesShaped ? p.shaping.SynthCodes : p.wave.DriveCodes;
}

// The synthesised drive's peak in volts at `level`, as the drive level would play it with
// the equalised gain (before the drive limit, which is the other rule).
double SynthesisedPeakVolts(const Program& p, double level) {
  int dev = 0;
  const auto& codes = SynthCodes(p);
  for (int i = 0; i < kRecord; ++i) dev = std::max(dev, std::abs(codes[i] - 128));
  const double counts = level * p.Row(row::DriveGain) * 10.0;
  return dev / 128.0 * counts / shaping::kCountsPerVolt;
}

double LimitVolts(const Program& p) {
  return shaping::PeakVoltsAt(daq::DriveLevelLimit(p));
}

std::string Fixed(double v, int decimals) {
  char b[32];
  std::snprintf(b, sizeof b, "%.*f", decimals, v);
  return b;
}

// The run stops (drive released) and one box says why and what to try.
void GiveUp(Program& p, const shaping::Outcome& o) {
  StopTest(p, run::WaveformGiveUpOf(GiveUpMeasure(o)));
  p.platform.MessageBox(GiveUpText(o), ui::Buttons::OK, ui::Icon::Exclamation, kGiveUpTitle);
}

void ShowStatus(Program& p) {
  auto& l = p.win.Lbl(ui::LabelId::lblWaveform);
  l.Caption = WaveformStatusText(p);
  l.Visible = !l.Caption.empty();
}

}  // namespace

bool WaveformOn(const Program& p) {
  return p.Row(row::ControlMode) == 0 && SettingsOf(p).On;
}

bool ShapedDriveFires(const Program& p) {
  return WaveformOn(p) && p.shaping.Ready && p.control.SystemEqualized != 0 &&
         p.Row(row::InterfaceType) == 1 && p.daq.DemoMode != 1.0f;
}

bool PrepareShapedDrive(Program& p) {
  auto& f = p.shaping;
  if (!ShapedDriveFires(p)) {
    // A pulse that is not shaped (Manual, Transient, before an equalisation) plays the
    // synthesised drive, whatever shaped or recalled codes DriveCodes hold; the estimate stays.
    if (f.CodesShaped) {
      p.wave.DriveCodes = f.SynthCodes;
      f.CodesShaped = false;
      p.daq.DriveBuffersLoaded = false;
    }
    return true;
  }
  const shaping::Settings set = SettingsOf(p);
  const double level = PulseLevel(p);
  const double toLevel = f.DriveLevel > 0 ? level / f.DriveLevel : 0;
  for (int i = 0; i < kRecord; ++i) f.Next[i] = static_cast<float>(f.Learnt.Drive[i] * toLevel);
  // The give-up rule at the level about to be fired: the learnt drive was made for the
  // level of the pulse before it.
  shaping::Outcome o;
  const double peak = shaping::PeakOf(f.Next), synth = SynthesisedPeakVolts(p, level);
  if (synth > 0 && peak > set.GiveUpFactor * synth) {
    o.reason = shaping::Reason::DrivePeak, o.Measure = peak / synth, o.Limit = set.GiveUpFactor;
  } else if (!(peak <= LimitVolts(p))) {
    o.reason = shaping::Reason::DriveLimit, o.Measure = peak, o.Limit = LimitVolts(p);
  }
  if (o.reason != shaping::Reason::None) {
    o.step = shaping::Step::GiveUp;
    GiveUp(p, o);
    return false;
  }
  if (!f.CodesShaped) f.SynthCodes = p.wave.DriveCodes;
  f.CodesShaped = true;
  const auto r = shaping::Realise(f.Next, daq::DriveLevelLimit(p),
                                  std::span<int16_t>(p.wave.DriveCodes.data(), kRecord));
  p.wave.DriveCodes[kRecord] = 128;
  p.run.DrivePeakCounts = r.Counts;
  return true;
}

bool LearnFromPulse(Program& p) {
  // Manual pulses teach the estimate too; transient captures never take part.
  const float mode = p.Row(row::ControlMode);
  if (!SettingsOf(p).On || (mode != 0 && mode != 1)) return true;
  auto& f = p.shaping;
  const bool shaped = ShapedDriveFires(p);
  const shaping::Settings set = SettingsOf(p);
  const double level = PulseLevel(p);

  shaping::VoltsOfCodes(std::span<const int16_t>(p.wave.DriveCodes.data(), kRecord),
                        p.run.DrivePeakCounts, f.Played);
  const analysis::PulseTraces r = analysis::ProgramPulse(p, 1);
  const bool acceptance = analysis::AcceptanceOn(p);
  const analysis::AcceptanceResult j = analysis::JudgePulse(r, analysis::TolerancesOf(p));

  shaping::Pulse in;
  in.Drive = f.Played;
  in.Response = r.Response;
  in.Reference = r.Reference;
  in.Level = level;
  in.PulseSamples = p.wave.PulseSamples;
  in.ShiftSamples = j.ShiftSamples;
  in.FullLevel = RunStateOf(p) == Run::FullLevel;
  in.Fails = acceptance && j.verdict != analysis::Verdict::Pass;
  shaping::Next next;
  next.Level = level;
  next.SynthesisedPeakVolts = SynthesisedPeakVolts(p, level);
  next.LimitVolts = LimitVolts(p);

  const shaping::Outcome o = shaping::Learn(f.Learnt, f.Work, set, in, next);
  if (o.step == shaping::Step::Skipped) return true;
  f.Ready = true;
  f.DriveLevel = level;
  f.LastShaped = shaped;
  f.LastErrorPct = o.ErrorPct;
  if (shaped) ++f.ShapedPulses;
  ShowStatus(p);
  // Only a shaped pulse can give up: the equalisation's passes (the identification) and
  // manual pulses play the synthesised drive whatever the estimate would make of them; the
  // first shaped pulse is held to the rule before it fires.
  if (o.step != shaping::Step::GiveUp || !shaped) return true;
  GiveUp(p, o);
  return false;
}

void ClearWaveform(Program& p) {
  shaping::Clear(p.shaping, p.wave, p.daq.DriveBuffersLoaded);
  p.win.Lbl(ui::LabelId::lblWaveform).Visible = false;
}

std::string WaveformStatusText(const Program& p) {
  const auto& f = p.shaping;
  if (!f.LastShaped) return "";
  return "WAVEFORM CONTROL  error " + Fixed(f.LastErrorPct, 1) + " %  pulse " +
         std::to_string(f.ShapedPulses);
}

std::string GiveUpMeasure(const shaping::Outcome& o) {
  std::string measure;
  switch (o.reason) {
    case shaping::Reason::DrivePeak:
      measure = "the next drive's peak would be " + Fixed(o.Measure, 2) +
                " x the synthesised drive's (the give-up factor is " + Fixed(o.Limit, 2) + ")";
      break;
    case shaping::Reason::DriveLimit:
      measure = "the next drive's peak would be " + Fixed(o.Measure, 2) +
                " V, beyond the drive limit of " + Fixed(o.Limit, 2) + " V";
      break;
    case shaping::Reason::NoProgress:
      measure = "over the last 5 failing full-level pulses the error fell by " +
                Fixed(o.Measure, 1) + " %, less than " + Fixed(o.Limit, 0) + " %";
      break;
    case shaping::Reason::None:
      measure = "no reason";
      break;
  }
  return measure;
}

std::string GiveUpText(const shaping::Outcome& o) {
  return "Waveform Control Gave Up: The Response Cannot Follow The Reference - " +
         GiveUpMeasure(o) +
         ". Try a lower level, a stiffer fixture, a smoother pulse, or waveform control off.";
}

}  // namespace control
