#include "procedure/runner.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "common/number_text.h"
#include "control/equalize.h"
#include "daq/wait.h"
#include "display/status_panel.h"
#include "print/report_page.h"
#include "procedure/adapters.h"
#include "procedure/plan.h"
#include "procedure/report.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/waveshape_file.h"
#include "sequencer/sequencer.h"

namespace procedure {

namespace row = profile::row;
using run::Run;

namespace {

constexpr const char* kTitle = "KRX-8 Procedure";

State& S(Program& p) {
  return p.procedure;
}
const Step& CurrentStep(Program& p) {
  return S(p).Proc.Steps[S(p).StepIndex];
}
StepResult& CurrentResult(Program& p) {
  return S(p).Steps[S(p).StepIndex];
}

std::string Now(Program& p) {
  return p.platform.ShortDate() + " " + p.platform.ShortTime();
}

void SetStatus(Program& p, const std::string& text) {
  p.win.Lbl(ui::LabelId::lblStatus).Caption = text;
}

// The pulses captured when a phase begins: later ones are this phase's doing.
void Baseline(Program& p) {
  S(p).CapturesSeen = p.control.Captures;
}

// Whoever asked for the Abort, the operator when nobody did.
run::StopCause AbortCause(const Program& p) {
  return run::AbortedBy(p.run.AbortFrom == run::Source::None ? run::Source::Operator
                                                             : p.run.AbortFrom);
}

void Finish(Program& p, Ending end, const std::string& why) {
  auto& s = S(p);
  if (s.At == Phase::Finished) return;
  s.At = Phase::Finished;
  s.End = end;
  s.EndText = why;
  if (s.StepIndex < s.Steps.size() && s.Steps[s.StepIndex].Ended.empty())
    s.Steps[s.StepIndex].Ended = why.empty() ? EndingText(end) : why;
  s.Finished = Now(p);
  // Whatever ended it, nothing goes on playing (the end of the program has seen to that).
  if (!p.run.Ended && (control::RunStateOf(p) != Run::Idle || end != Ending::Completed)) {
    // The stop releases the drive; the shock counter keeps the pulses fired.
    const int32_t fired = p.run.PulseCount;
    control::StopTest(p, end == Ending::Aborted ? AbortCause(p) : run::StopCause{});
    p.run.PulseCount = fired;
    display::UpdateStatusPanel(p);
  }
  MarkHistory(p, "", "");
  SetStatus(p, std::string("PROCEDURE ") + EndingText(end) + (why.empty() ? "" : " - " + why));
  WriteReport(p);
}

// The page of the pulse just made, kept for the report while the window shows it.
void KeepPage(Program& p, KeptPage& page) {
  page.Clear();
  p.print.Target = &page;
  struct Restore {
    Program& p;
    ~Restore() { p.print.Target = nullptr; }
  } restore{p};
  print::DrawPrintFrame(p);
  print::PrintReportText(p);
  print::PrintPlot(p);
}

StepPulse MakeRow(Program& p, bool pretest) {
  StepPulse r;
  r.Time = p.platform.ShortTime();
  r.Pretest = pretest;
  r.LevelG = p.run.LevelFactor * p.plot.TestLevelG;
  r.ControlPeakG = p.control.ControlPeakG;
  r.DriveCounts = p.run.DrivePeakCounts;
  r.Shaped = p.shaping.LastShaped;
  r.ErrorPct = p.shaping.LastErrorPct;
  if (!pretest)
    if (auto v = LastPulseVerdict(p)) r.Verdict = *v;
  return r;
}

bool SameKey(const KnownGain& g, const Step& s) {
  return g.Profile == s.Profile && g.Waveshape == s.Waveshape && g.LevelPct == s.LevelPct;
}

// Opens the step's profile as File > Open does, then sets its overrides in memory.
bool OpenStepProfile(Program& p, const Step& s) {
  p.profile.ProfileFileName = s.Profile;
  p.profile.Record.TestTitle = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  if (!profile::ReadProfile(p, s.Profile)) return false;
  if (!s.Waveshape.empty() && !profile::ReadCustomShape(p, s.Waveshape)) return false;
  profile::ApplyOpenedProfile(p);
  ApplyStepOverrides(p, s);
  profile::RecomputeProfile(p);
  return p.wave.DriveSynthesized;
}

// Abort was asked for while the procedure's own work ran (a pause, a profile read).
bool Stopped(Program& p) {
  return p.run.AbortRequested;
}

// The procedure ends as the step's run was stopped, when it was cut short.
bool ClassifyStop(Program& p) {
  const run::StopCause& c = p.run.Stop;
  switch (c.Kind) {
    case run::Stop::None:
    case run::Stop::Completed:
      if (!Stopped(p)) return false;
      Finish(p, Ending::Aborted, "");
      return true;
    case run::Stop::Aborted:
      Finish(p, Ending::Aborted, std::string("by ") + run::SourceName(c.From));
      return true;
    case run::Stop::Trip:
    case run::Stop::LimitRefused:
      Finish(p, Ending::Tripped, c.Detail);
      return true;
    case run::Stop::BoardError:
      Finish(p, Ending::BoardError, c.Detail.empty() ? "board error" : c.Detail);
      return true;
    case run::Stop::AcceptanceFail:
      Finish(p, Ending::Failed, "acceptance FAIL - " + c.Detail);
      return true;
    case run::Stop::NoDrive:
      Finish(p, Ending::Failed, "no drive made from the profile");
      return true;
    case run::Stop::WaveformGiveUp:
      Finish(p, Ending::Failed, "waveform control gave up - " + c.Detail);
      return true;
    case run::Stop::ProgramClosed:
    case run::Stop::Interrupted:
      Finish(p, Ending::Aborted, "the program was closed");
      return true;
  }
  return false;
}

void StartPulses(Program& p) {
  const Step& s = CurrentStep(p);
  StepResult& r = CurrentResult(p);
  Baseline(p);
  p.control.TripCode = 0;
  // The pre-test pulses at once, as key "P" makes each (with waveform control they are
  // learning pulses at the pre-test level).
  for (int i = 0; s.Pretest && i < s.PretestPulses; ++i) {
    sequencer::PreTestPulse(p);
    if (p.control.Captures != S(p).CapturesSeen) r.Pulses.push_back(MakeRow(p, true));
    if (ClassifyStop(p)) return;
    if (p.control.Captures == S(p).CapturesSeen) {
      Finish(p, Ending::Failed, "the pre-test pulse was not fired");
      return;
    }
    Baseline(p);
  }
  sequencer::StartCommand(p);
  if (control::RunStateOf(p) != Run::FullLevel) {
    Finish(p, Ending::Failed, "the run could not be started");
    return;
  }
  S(p).At = Phase::Running;
  SetStatus(p, StatusText(p));
}

// Runs steps until one has to wait for the program (an equalisation, the pulses).
void NextStep(Program& p) {
  auto& st = S(p);
  while (st.StepIndex < st.Proc.Steps.size()) {
    const Step& s = CurrentStep(p);
    StepResult& r = CurrentResult(p);
    r.Ran = true;
    SetStatus(p, StatusText(p));
    MarkHistory(p, st.Proc.Title, s.Name);
    p.platform.Refresh();
    if (!s.Pause.empty()) {
      Baseline(p);
      const ui::Answer a = p.platform.PauseBox(s.Pause, kTitle + std::string(" - ") + s.Name);
      if (a == ui::Answer::No) return Finish(p, Ending::NoOperator, "nobody answered the pause");
      if (a != ui::Answer::OK || Stopped(p)) return Finish(p, Ending::Aborted, "");
      r.Ended = "continued";
      ++st.StepIndex;
      continue;
    }
    Baseline(p);
    if (!OpenStepProfile(p, s)) return Finish(p, Ending::Failed, "the profile could not be opened");
    if (Stopped(p)) return Finish(p, Ending::Aborted, "");
    auto known = std::find_if(st.Gains.begin(), st.Gains.end(),
                              [&](const KnownGain& g) { return SameKey(g, s); });
    const bool equalize = s.Equalize == EqualizeWhen::Always ||
                          (s.Equalize == EqualizeWhen::Auto && known == st.Gains.end());
    if (equalize) {
      Baseline(p);
      sequencer::EqualizeCommand(p);
      st.At = Phase::Equalizing;
      return;
    }
    // Equalised before for this profile and level (or never to be): the gain stands.
    if (known != st.Gains.end()) p.Row(row::DriveGain) = known->DriveGain;
    p.control.SystemEqualized = 1.0f;
    r.SystemGain = 55.0f / p.Row(row::DriveGain);
    return StartPulses(p);
  }
  Finish(p, Ending::Completed, "");
}

void AfterEqualizing(Program& p) {
  if (control::RunStateOf(p) != Run::Idle || p.win.GetTimer(ui::kSettlingTimer).Enabled) return;
  auto& st = S(p);
  StepResult& r = CurrentResult(p);
  if (p.control.SystemEqualized == 0) {
    if (ClassifyStop(p)) return;
    return Finish(p, Ending::Failed, p.win.Lbl(ui::LabelId::lblStatus).Caption);
  }
  const Step& s = CurrentStep(p);
  const float gain = p.Row(row::DriveGain);
  st.Gains.erase(std::remove_if(st.Gains.begin(), st.Gains.end(),
                                [&](const KnownGain& g) { return SameKey(g, s); }),
                 st.Gains.end());
  st.Gains.push_back({s.Profile, s.Waveshape, s.LevelPct, gain});
  r.Equalized = true;
  r.SystemGain = 55.0f / gain;
  StartPulses(p);
}

void WhileRunning(Program& p) {
  auto& st = S(p);
  const Step& s = CurrentStep(p);
  StepResult& r = CurrentResult(p);
  if (p.control.Captures != st.CapturesSeen) {
    st.CapturesSeen = p.control.Captures;
    StepPulse row = MakeRow(p, false);
    ++r.Fired;
    if (!row.Verdict.Judged)
      ++r.NotJudged;
    else if (row.Verdict.Pass)
      ++r.Passed;
    else
      ++r.Failed;
    r.Pulses.push_back(row);
    KeepPage(p, r.Page);
    SetStatus(p, StatusText(p));
  }
  if (control::RunStateOf(p) == Run::FullLevel) return;
  if (ClassifyStop(p)) return;
  if (r.Fired < s.PulsesToFire) return Finish(p, Ending::Aborted, "");
  r.Ended = "completed";
  ++st.StepIndex;
  st.At = Phase::NextStep;
  NextStep(p);
}

}  // namespace

const char* EndingText(Ending e) {
  switch (e) {
    case Ending::Running:
      return "RUNNING";
    case Ending::Completed:
      return "COMPLETED";
    case Ending::Failed:
      return "FAILED";
    case Ending::Tripped:
      return "TRIPPED";
    case Ending::BoardError:
      return "BOARD ERROR";
    case Ending::Aborted:
      return "ABORTED";
    case Ending::NoOperator:
      return "STOPPED AT A PAUSE";
  }
  return "";
}

bool Begin(Program& p, Procedure proc) {
  auto& st = S(p);
  if (Active(p)) {
    p.platform.MessageBox("A procedure is running already.", ui::Buttons::OK, ui::Icon::Exclamation,
                          kTitle);
    return false;
  }
  if (p.Row(row::ControlMode) == 2) {
    p.platform.MessageBox(
        "A procedure fires its pulses one after the other: choose the Auto or Manual "
        "control mode first.",
        ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
    return false;
  }
  std::string why;
  if (!KeepEarlierReport(proc.Report, why)) {
    p.platform.MessageBox("The procedure was not started; nothing was driven.\r\n" + why,
                          ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
    return false;
  }
  st = State{};
  st.Proc = std::move(proc);
  // The steps' levels are the plan's: no remote level stands in for them.
  p.run.RemoteLevelOverride = 0;
  st.Steps.resize(st.Proc.Steps.size());
  for (std::size_t i = 0; i < st.Steps.size(); ++i)
    st.Steps[i].Pulses.reserve(static_cast<std::size_t>(st.Proc.Steps[i].PulsesToFire) +
                               static_cast<std::size_t>(st.Proc.Steps[i].PretestPulses));
  // The report's document is at hand from the start: the pages kept on the way are
  // composed for its size.
  st.Pdf = p.platform.PdfPrinter(st.Proc.Report);
  if (st.Pdf) st.Pdf->SetIntSetting(print::kPageLayout);
  for (auto& r : st.Steps) r.Page.MeasureWith(st.Pdf.get());
  st.Started = Now(p);
  st.Zone = LocalZoneText(std::time(nullptr));
  const char* library = std::getenv("KRX8_DAQX_LIBRARY");
  st.Mode = p.daq.DemoMode == 1.0f      ? "demo mode"
            : !p.daq.DriverPath.empty() ? "board driver " + p.daq.DriverPath
            : library && *library       ? "board driver " + std::string(library)
                                        : "board driver libdaqx.so";
  std::error_code ec;
  st.WorkFolder = std::filesystem::current_path(ec).string();
  if (ec) st.WorkFolder = "(unknown: " + ec.message() + ")";
  st.At = Phase::NextStep;
  return true;
}

bool Active(const Program& p) {
  return p.procedure.At != Phase::Off && p.procedure.At != Phase::Finished;
}
bool Finished(const Program& p) {
  return p.procedure.At == Phase::Finished;
}

void AfterEvent(Program& p) {
  // The window was closed in the middle: the report still tells what was done.
  if (p.run.Ended) return Finish(p, Ending::Aborted, "the program was closed");
  try {
    switch (S(p).At) {
      case Phase::NextStep:
        NextStep(p);
        break;
      case Phase::Equalizing:
        AfterEqualizing(p);
        break;
      case Phase::Running:
        WhileRunning(p);
        break;
      default:
        break;
    }
  } catch (const daq::RunAborted&) {
    // An Abort inside the procedure's own work (a pre-test pulse, a board start-up).
    const run::StopCause cause = AbortCause(p);
    p.run.AbortRequested = false;
    control::StopTest(p, cause);
    ClassifyStop(p);
  } catch (...) {
    // The error's box is shown by the entry point; the procedure does not go on blindly.
    Finish(p, Ending::Failed, "an error stopped the step");
    throw;
  }
}

int ExitStatus(const Program& p) {
  const auto& st = p.procedure;
  switch (st.End) {
    case Ending::Completed:
      for (const auto& r : st.Steps)
        if (r.Failed > 0) return 1;
      return 0;
    case Ending::NoOperator:
      return 3;
    default:
      return 1;
  }
}

std::string StatusText(const Program& p) {
  const auto& st = p.procedure;
  const std::size_t n = st.Proc.Steps.size();
  if (st.StepIndex >= n) return "PROCEDURE";
  std::string text =
      "PROCEDURE step " + std::to_string(st.StepIndex + 1) + " of " + std::to_string(n);
  const Step& s = st.Proc.Steps[st.StepIndex];
  if (!s.Pause.empty()) return text + ", pause";
  const StepResult& r = st.Steps[st.StepIndex];
  text += ", pulse " + std::to_string(r.Fired) + " of " + std::to_string(s.PulsesToFire);
  if (!r.Pulses.empty() && r.Pulses.back().Verdict.Judged)
    text += " - " + r.Pulses.back().Verdict.Text;
  return text;
}

void RunProcedureCommand(Program& p) {
  const std::string pattern = "*.toml";
  std::string name = p.platform.OpenFileDialog(
      "KRX-8 Run Procedure", "Procedures (*.toml)|*.toml|All Files (*.*)|*.*", 1, pattern);
  if (name.empty() || name == pattern) return;
  BeginFile(p, name);
}

bool BeginFile(Program& p, const std::string& name) {
  Procedure proc;
  std::vector<std::string> errors;
  if (!LoadProcedure(name, proc, errors)) {
    std::string text = "The procedure was refused; nothing was driven.";
    for (std::size_t i = 0; i < errors.size() && i < 12; ++i) text += "\r\n" + errors[i];
    if (errors.size() > 12) text += "\r\n...";
    p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
    return false;
  }
  // The operator sees what will be fired before anything is.
  // A box taller than the screen would hide its buttons; --check lists every step.
  constexpr std::size_t kShownLines = 15;
  std::string plan = "Run the procedure \"" + proc.Title + "\"?\r\n";
  const auto lines = PlanLines(proc);
  for (std::size_t i = 0; i < lines.size() && i < kShownLines; ++i) plan += "\r\n" + lines[i];
  if (lines.size() > kShownLines)
    plan += "\r\n... and " + std::to_string(lines.size() - kShownLines) +
            " more steps (krx8 --procedure FILE --check lists them all)";
  for (const auto& w : proc.Warnings) plan += "\r\n\r\nWarning: " + w;
  plan += "\r\n\r\nReport: " + proc.Report;
  if (p.platform.MessageBox(plan, ui::Buttons::YesNo, ui::Icon::Question, kTitle) !=
      ui::Answer::Yes)
    return false;
  return Begin(p, std::move(proc));
}

}  // namespace procedure
