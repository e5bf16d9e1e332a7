#include "control/equalize.h"

#include <cmath>
#include <limits>

#include "common/number_text.h"
#include "control/capture.h"
#include "control/fire_limits.h"
#include "control/trips.h"
#include "control/waveform.h"
#include "daq/digital.h"
#include "daq/wait.h"
#include "display/status_panel.h"

namespace control {

namespace row = profile::row;
using ui::MenuId;

bool CapturePulse(Program& p) {
  p.control.PulseFailed = false;
  if (!PulseWithinLimits(p) || !PrepareShapedDrive(p)) return false;
  if (p.control.PulseSource)
    p.control.PulseSource(p);
  else
    CaptureAndAnalyze(p);
  if (p.control.PulseFailed) return false;
  ++p.control.Captures;
  // A give-up stops the run: nothing more is made of the pulse.
  const bool goesOn = LearnFromPulse(p);
  Tell(p.observer.PulseLearnt, p);
  return goesOn;
}

namespace {

std::string GainText(float gain) {
  return common::FormatMask(gain, "##.##");
}

void ReleaseDrive(Program& p) {
  if (p.daq.DemoMode == 1.0f) return;
  p.daq.SerialWordLow = 0;
  p.daq.SerialWordHigh = 0;
  daq::SendSerialWord(p);
}

void IdleRunControls(Program& p) {
  auto& w = p.win;
  w.Check(MenuId::mnuRunEqual, false);
  w.Check(MenuId::mnuRunPretest, false);
  w.Check(MenuId::mnuRunStart, false);
  w.Button(ui::ButtonId::cmdEqual).ForeColor = ui::kBlack;
  w.Button(ui::ButtonId::cmdPreTest).ForeColor = ui::kBlack;
  w.Button(ui::ButtonId::cmdStart).ForeColor = ui::kBlack;
  w.Img(ui::ImageId::imgSine).Visible = false;
}

}  // namespace

std::string EqualizedText(float gain) {
  return "EQUALIZATION COMPLETE ,SYSTEM GAIN = " + GainText(gain) + " G/V-Drive";
}

std::string FailedPassText(int pass) {
  return " SYSTEM NOT EQUALIZED - Pass # " + common::NumberText(static_cast<float>(pass)) +
         " Failed On A Board Error.";
}

std::string NotEqualizedText(float gain) {
  return " SYSTEM NOT EQUALIZED ,SYSTEM GAIN = " + GainText(gain) + " G/V-Drive" +
         " - Try A Higher Equalization Level.";
}

void Equalize(Program& p) {
  // Key "E" equalises outside a run: its passes are a run of their own.
  if (control::RunStateOf(p) == run::Run::Idle) control::BeginRun(p);
  p.win.SetTimerEnabled(ui::kSettlingTimer, false);
  p.control.SystemEqualized = 0;
  ClearWaveform(p);
  p.control.TripCode = trip::None;
  const float testLevel = p.plot.TestLevelG;
  p.run.LevelFactor = p.Row(row::EqualizeLevel) / testLevel;
  // Every pass is fired at the same level: a level beyond the limits fires none of them.
  if (!PulseWithinLimits(p)) return;
  float& gain = p.Row(row::DriveGain);
  const float gainBefore = gain;
  gain = 1.0f;
  p.control.ControlPeakG = 0.5f;
  const float openLoopCounts = p.Row(row::LowGainDb) * 25.0f;

  // Wanted over measured, before the limit to 2.
  float ratio = 1.0f;
  auto& status = p.win.Lbl(ui::LabelId::lblStatus).Caption;
  for (int pass = 1; pass <= kEqualizePasses; ++pass) {
    status = "EQUALIZING SYSTEM- PASS # " + common::NumberText(static_cast<float>(pass));
    // The passes run inside one handler; let the window show the pass number.
    p.platform.Refresh();
    if (!CapturePulse(p)) {
      // A pass the board could not make measured nothing: no verdict can come of it, and
      // the gain it would have corrected stays as it was before the equalisation.
      gain = gainBefore;
      status = FailedPassText(pass);
      p.run.PulseCount = 0;
      display::UpdateStatusPanel(p);
      return;
    }
    daq::ThrowIfAborted(p);
    ratio = p.run.LevelFactor * testLevel / p.control.ControlPeakG;
    // No response at all (nothing measured) counts as far too little.
    if (std::isnan(ratio)) ratio = INFINITY;
    float r = ratio > 2 ? 2.0f : ratio;
    if (r < 0) r = 0;  // a negative wanted level from a damaged file must not flip the drive
    gain = (r + 1) * gain / 2;
    if (gain > kMaxDriveGain) gain = kMaxDriveGain;
    if (p.run.DrivePeakCounts > openLoopCounts && p.control.ControlPeakG < 0.5f) {
      p.control.TripCode = trip::OpenLoop;
      RaiseTrip(p);
      return;
    }
  }

  ReleaseDrive(p);

  // Judged on the measured ratio: a response still below half the wanted level (the
  // gain stuck at its cap, the drive at its maximum) is no equalisation.
  float systemGain = 55.0f / gain;
  if (ratio >= 0.5f && ratio <= 2.0f) {
    status = EqualizedText(systemGain);
    p.control.SystemEqualized = 1.0f;
  } else {
    status = NotEqualizedText(systemGain);
  }

  p.run.PulseCount = 0;
  display::UpdateStatusPanel(p);
  IdleRunControls(p);
  control::EndRunCompleted(p);
}

void CorrectDriveGain(Program& p) {
  // The shaped drive carries its own level; a scalar step on top would fight it.
  if (ShapedDriveFires(p)) return;
  float& gain = p.Row(row::DriveGain);
  double wanted = static_cast<double>(p.run.LevelFactor) * p.plot.TestLevelG;
  double corrected = gain * (1.0 + 0.33 * wanted / p.control.ControlPeakG) / 1.33;
  // Nothing measured (no board output) or an overflow: keep the gain that was working,
  // a gain of infinity or NaN would reach the profile file and the next drive.
  if (!std::isfinite(corrected) || corrected <= 0 || corrected > std::numeric_limits<float>::max())
    return;
  gain = static_cast<float>(corrected);
}

}  // namespace control
