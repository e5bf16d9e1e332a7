#include "sequencer/sequencer.h"

#include <cmath>

#include "analysis/accept_program.h"
#include "common/rounding.h"
#include "control/capture.h"
#include "control/equalize.h"
#include "control/trips.h"
#include "display/axes.h"
#include "display/plot.h"
#include "display/status_panel.h"
#include "files/data_file.h"
#include "files/report_file.h"
#include "print/report_page.h"

namespace sequencer {

using ui::ButtonId;
using ui::LabelId;
using ui::MenuId;
using ui::TimerId;
namespace row = profile::row;

namespace {

constexpr int kFirstPulseMs = 200;
constexpr int kHousekeepingMs = 250;
constexpr int kTransientHousekeepingMs = 10;

// Writes all three Run marks and the button colours together: the run state is the marks.
void ArmRun(Program& p, Run state) {
  if (state != Run::Idle && RunStateOf(p) == Run::Idle) control::BeginRun(p);
  auto& w = p.win;
  w.Check(MenuId::mnuRunEqual, state == Run::Equalize);
  w.Check(MenuId::mnuRunPretest, state == Run::PreTest);
  w.Check(MenuId::mnuRunStart, state == Run::FullLevel);
  w.Button(ButtonId::cmdEqual).ForeColor = state == Run::Equalize ? ui::kRed : ui::kBlack;
  w.Button(ButtonId::cmdPreTest).ForeColor = state == Run::PreTest ? ui::kRed : ui::kBlack;
  w.Button(ButtonId::cmdStart).ForeColor = state == Run::FullLevel ? ui::kRed : ui::kBlack;
  w.Img(ui::ImageId::imgSine).Visible = state != Run::Idle;
}

void SetStatus(Program& p, const char* text) {
  p.win.Lbl(LabelId::lblStatus).Caption = text;
}

bool Repetitive(const Program& p) {
  return p.win.Checked(MenuId::mnuShockRepRep);
}
bool SingleMode(const Program& p) {
  return p.Row(row::RepetitionMode) == 1;
}
bool CountReached(const Program& p) {
  return static_cast<float>(p.run.PulseCount) >= p.Row(row::TotalPulses);
}

void StartPacing(Program& p) {
  p.win.SetTimerInterval(ui::kPacingTimer, kFirstPulseMs);
  p.win.SetTimerEnabled(ui::kPacingTimer, true);
}

bool Equalized(const Program& p) {
  return p.control.SystemEqualized != 0;
}

}  // namespace

void EqualizeCommand(Program& p) {
  ArmRun(p, Run::Equalize);
  float settling = p.Row(row::SettlingMode);
  if (settling == 1)
    SetStatus(p, "EQUALIZING SYSTEM- PLEASE WAIT ");
  else if (settling == 2)
    SetStatus(p, "EQUALIZING SYSTEM- ACCELEROMETER SETTLING DELAY");
  p.win.SetTimerInterval(ui::kSettlingTimer, settling == 1 ? 2000 : 5000);
  p.win.SetTimerEnabled(ui::kSettlingTimer, true);
  // Armed here: only the file names are asked for; the end of the run writes the files.
  if (p.win.Checked(MenuId::mnuTestAutoSave)) files::AskReportFileName(p);
  if (p.win.Checked(MenuId::mnuTestAutoExport)) files::AskDataFileName(p);
}

void PreTestCommand(Program& p) {
  ArmRun(p, Run::PreTest);
  SetStatus(p, " PRE-TEST LEVEL SHOCK PULSE ");
  StartPacing(p);
  if (Repetitive(p)) p.run.PulseCount = 0;
}

void StartCommand(Program& p) {
  float mode = p.Row(row::ControlMode);
  bool transient = mode == 2;
  if (mode != 0 && mode != 1 && !transient) return;
  ArmRun(p, Run::FullLevel);
  SetStatus(p, transient ? " TRIGGER ARMED " : " FULL TEST LEVEL SHOCK PULSE ");
  StartPacing(p);
  p.win.SetTimerInterval(ui::kHousekeepingTimer,
                         transient ? kTransientHousekeepingMs : kHousekeepingMs);
  if (Repetitive(p)) p.run.PulseCount = 0;
}

void PreTestPulse(Program& p) {
  if (!Equalized(p)) {
    EqualizeCommand(p);
    return;
  }
  p.run.LevelFactor = static_cast<float>(1.0 / std::exp(0.115 * p.Row(row::PretestLevelDb)));
  // Key "P" fires this pulse in any run state, so the capture is judged by what it changed.
  const Run before = RunStateOf(p);
  // Outside a run the pulse is a run of its own.
  if (before == Run::Idle) control::BeginRun(p);
  // A pulse that failed, or a capture that stopped the run, is no response.
  if (!control::CapturePulse(p) || RunStateOf(p) != before) return;
  display::ShowControlResponse(p);
  display::RefreshPlot(p);
  if (CountReached(p) || SingleMode(p)) EndOfRun(p);
}

namespace {

void StopOnAcceptanceFail(Program& p) {
  const std::string verdict = analysis::VerdictText(p.accept.Channel1);
  // The shock counter goes on counting the pulse that was fired, as at the end of a run.
  const int32_t fired = p.run.PulseCount;
  control::StopTest(p, run::AcceptanceFailOf(analysis::FailingMeasure(p.accept.Channel1)));
  p.run.PulseCount = fired;
  display::UpdateStatusPanel(p);
  p.platform.MessageBox(" " + verdict, ui::Buttons::OK, ui::Icon::None, control::kTripTitle);
}

// The rest of a full-level pulse once its response was recorded.
void AfterFullLevelCapture(Program& p) {
  display::ShowControlResponse(p);
  display::RefreshPlot(p);
  p.control.LastPeakA = p.plot.ResponsePeakA;
  p.control.LastPeakV = p.plot.ResponsePeakV;
  p.control.LastPeakD = p.plot.ResponsePeakD;
  control::CheckTrips(p);
  // A FAIL that stops the run ends it as a trip would, without the end-of-run actions; a
  // run that a trip has already stopped is not stopped twice.
  if (!analysis::AcceptPulse(p) && RunStateOf(p) != Run::Idle) return StopOnAcceptanceFail(p);
  control::CorrectDriveGain(p);
  // A transient capture ends its run after one pulse; the end of a run, with its print,
  // report and export, happens once.
  if (SingleMode(p) || CountReached(p) || p.Row(row::ControlMode) == 2) EndOfRun(p);
}

}  // namespace

void FullLevelPulse(Program& p) {
  // An armed transient capture waits for its event; the housekeeping tick polls it.
  if (p.daq.TransientArmed) return;
  p.files.ReportLoaded = false;
  float mode = p.Row(row::ControlMode);
  if (mode == 0 && !Equalized(p)) {
    EqualizeCommand(p);
    return;
  }
  p.run.LevelFactor = 1.0f;
  if (mode == 2 && control::TransientCaptureWaits(p)) {
    control::ArmTransientCapture(p);
    return;
  }
  // A capture that could not make the pulse stops the run and says so; there is then
  // nothing to check or correct.
  if (!control::CapturePulse(p) || RunStateOf(p) != Run::FullLevel) return;
  AfterFullLevelCapture(p);
}

void TransientTick(Program& p) {
  if (!p.daq.TransientArmed || RunStateOf(p) != Run::FullLevel) return;
  // Only an event really recorded is a pulse; a failure has stopped the run.
  if (control::PollTransientCapture(p) == daq::TransientState::Recorded) AfterFullLevelCapture(p);
}

void EndOfRun(Program& p) {
  control::EndRunCompleted(p);
  ArmRun(p, Run::Idle);
  p.win.SetTimerEnabled(ui::kPacingTimer, false);
  if (p.win.Checked(MenuId::mnuTestAutoPrint)) print::PrintReport(p);
  if (p.win.Checked(MenuId::mnuTestAutoSave)) files::AutoSaveReport(p);
  if (p.win.Checked(MenuId::mnuTestAutoExport)) files::AutoExportData(p);
  if (p.Row(row::ControlMode) == 2) SetStatus(p, " TRIGGERED ");
}

void SpnLevel(Program& p, bool up) {
  float& step = p.Row(row::ManualStep);
  // A step of 0 (or one that cannot scale, from a damaged file) becomes the default.
  if (step == 0 || !(step > -1.0f) || !std::isfinite(step)) step = 0.1f;
  float next = up ? p.run.ManualLevel * (1 + step) : p.run.ManualLevel / (1 + step);
  if (std::isfinite(next)) p.run.ManualLevel = next;
}

}  // namespace sequencer
