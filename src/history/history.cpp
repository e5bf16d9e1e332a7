#include "history/history.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "analysis/acceptance.h"
#include "control/stop.h"
#include "daq/samples.h"
#include "profile/profile_file.h"

namespace history {

namespace {

using run::Run;
namespace row = profile::row;

// The acceptance judgement of the event's pulse: channel 1's measures and verdict.
Acceptance JudgedAcceptance(const Program& p) {
  if (!p.accept.Judged) return {};
  const analysis::AcceptanceResult& r = p.accept.Channel1;
  Acceptance a;
  a.Judged = true;
  a.PeakPct = r.PeakPct;
  a.WidthPct = r.WidthPct;
  a.VelocityChangePct = r.VelocityChangePct;
  a.WorstBandPct = r.WorstBandPct;
  a.SamplesOutside = r.SamplesOutside;
  a.Verdict = analysis::VerdictCell(r.verdict);
  return a;
}

const char* RunKindName(int kind) {
  switch (static_cast<Run>(kind)) {
    case Run::Equalize:
      return "Equalize";
    case Run::PreTest:
      return "Pre-test";
    case Run::FullLevel:
      return "Start";
    default:
      return "";
  }
}

const char* ControlModeName(float mode) {
  if (mode == 1) return "Manual";
  if (mode == 2) return "Transient";
  return "Auto";
}

int ActiveChannels(const Program& p) {
  return p.daq.SixteenChannelFlag == 1 ? 16 : (p.daq.EightChannelFlag == 1 ? 8 : 4);
}

// The history stops for this session: one box naming the file and the reason; the title
// bar says so from then on. The test itself goes on.
void Fail(Program& p, const std::string& why) {
  auto& s = p.history;
  s.Out.reset();
  s.Off = true;
  s.RunOpen = false;
  s.EventPulse = false;
  if (!p.win.Caption.ends_with(kOffCaption)) p.win.Caption += kOffCaption;
  p.platform.MessageBox("The test history " + s.Path + " cannot be used: " + why +
                            ". The test goes on without a history.",
                        ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
}

// True while rows can be written; a failure the writer met since is reported here.
bool Ensure(Program& p) {
  auto& s = p.history;
  if (s.Out) {
    if (auto why = s.Out->Failure()) Fail(p, *why);
    return s.Out != nullptr;
  }
  if (s.Off || s.Path.empty()) return false;
  try {
    s.Out = std::make_unique<Writer>(std::make_unique<Store>(s.Path));
  } catch (const std::exception& e) {  // the file, or a thread the system would not start
    Fail(p, e.what());
  }
  return s.Out != nullptr;
}

void PostEvent(Program& p, const EventRow& e) {
  auto job = p.history.Out->Next();
  job->What = Job::Event;
  job->Time = e.Time;
  job->Text1 = e.Kind;
  job->Text2 = e.Title;
  job->Text3 = e.Text;
}

// Date and time as the boxes and the window show them: "2026-12-09 11:40:35 UTC".
std::string ShownUtc(const std::string& iso) {
  std::string s = iso.substr(0, 19);
  if (s.size() > 10) s[10] = ' ';
  return s + " UTC";
}

void OpenRun(Program& p, int kind) {
  auto& s = p.history;
  {
    auto job = s.Out->Next();
    job->What = Job::BeginRun;
    RunStart& r = job->Run;
    r.Started = NowUtc();
    r.Kind = RunKindName(kind);
    std::error_code ec;
    r.Folder = std::filesystem::current_path(ec).string();
    r.ProfileFile = p.profile.ProfileFileName;
    auto record = p.profile.Record;
    record.TestTitle = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
    r.Profile = profile::ProfileText(record);
    r.ControlMode = ControlModeName(p.Row(row::ControlMode));
    r.Demo = p.daq.DemoMode == 1.0f;
    r.Procedure = s.Procedure;
    r.Step = s.Step;
  }  // posted before the held box
  s.RunOpen = true;
  s.RunKind = kind;
  s.RunProcedure = s.Procedure;
  s.RunStep = s.Step;
  s.PulseIndex = 0;
  if (s.Held && s.Procedure == s.RunProcedure) PostEvent(p, *s.Held);
  s.Held.reset();
}

// How the run ended, as the stop said it; the run turning into another is no stop.
std::string EndReason(const Program& p, const EventEnd& end, int now) {
  if (now != static_cast<int>(Run::Idle)) return std::string("changed to ") + RunKindName(now);
  if (end.Closing) return run::StopName(run::Stop::ProgramClosed);
  return run::StopText(p.run.Stop);
}

// Fills the record in place: a slot's sample vector keeps its size from pulse to pulse.
void Capture(const Program& p, const char* kind, int index, PulseRecord& r) {
  r.Time = NowUtc();
  r.Kind = kind;
  r.Index = index;
  r.LevelFactor = p.run.LevelFactor;
  r.TestLevelG = p.plot.TestLevelG;
  r.DrivePeakCounts = p.run.DrivePeakCounts;
  r.DriveGain = p.Row(row::DriveGain);
  r.ControlPeakG = p.control.ControlPeakG;
  r.SampleFactor = p.wave.SampleFactor;
  r.AdcZero = p.daq.AdcZero;
  r.Channels = ActiveChannels(p);
  for (int c = 1; c <= kMaxChannels; ++c) r.Scale[c] = daq::ChannelScale(p, c);
  r.Counts.resize(static_cast<size_t>(r.Channels) * kRecordScans);
  const long n = p.daq.ScanStride;
  for (int c = 1; c <= r.Channels; ++c) {
    const auto& b = c <= 8 ? p.daq.ScanBuffer : p.daq.SlaveScanBuffer;
    const int k = (c - 1) % 8;
    for (int i = 0; i < kRecordScans; ++i)
      r.Counts[static_cast<size_t>(c - 1) * kRecordScans + i] = daq::ScanSample(b, i * n + k);
  }
  for (int i = 0; i < kRecordScans; ++i) r.DriveCodes[i] = p.wave.DriveCodes[i];
}

std::string Number(double v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
  return std::string(buf, res.ptr);
}

// Completes the event's pulse with what the plot measured and the checks found.
void PostOutcome(Program& p) {
  auto& s = p.history;
  if (!s.EventPulse || s.EventPulseKind == "equalisation") return;
  auto job = s.Out->Next();
  job->What = Job::Outcome;
  PulseOutcome& o = job->Result;
  o.PeakA = p.plot.ResponsePeakA;
  o.PeakV = p.plot.ResponsePeakV;
  o.PeakD = p.plot.ResponsePeakD;
  o.RefPeakA = p.plot.RefPeakA;
  o.RefPeakV = p.plot.RefPeakV;
  o.RefPeakD = p.plot.RefPeakD;
  const bool full = s.EventPulseKind == "full level" || s.EventPulseKind == "transient";
  o.TripCode = full ? p.control.TripCode : 0;
  o.Accept = JudgedAcceptance(p);
  job->ErrorPct = s.EventPulseErrorPct;
}

// The open run belongs to another step than the one now named, or (`state` not idle) to
// another command: it ends before anything of the new one is filed.
bool RunIsStale(const Program& p, Run state) {
  const auto& s = p.history;
  if (!s.RunOpen) return false;
  if (s.RunProcedure != s.Procedure || s.RunStep != s.Step) return true;
  return state != Run::Idle && static_cast<int>(state) != s.RunKind;
}

// How the run of a step ended when the next step's first pulse or box comes before the
// event's end: as the event would have ended it.
std::string StepEndReason(const Program& p) {
  return EndReason(p, {}, static_cast<int>(Run::Idle));
}

void EndRun(Program& p, const std::string& why) {
  {
    auto job = p.history.Out->Next();
    job->What = Job::EndRun;
    job->Time = NowUtc();
    job->Text1 = why;
  }
  p.history.RunOpen = false;
}

}  // namespace

std::string PathFrom(const char* variable) {
  return variable == nullptr ? kFileName : variable;
}

void Attach(Program& p, const std::string& path) {
  p.history.Path = path;
  p.observer.BeforePulse = &Flush;
  p.observer.PulseAnalyzed = &PulseAnalyzed;
  p.observer.PulseLearnt = &PulseLearnt;
  p.observer.StartedUp = &StartUp;
  p.observer.EventEnded = [](Program& q, bool closing) { AfterEvent(q, {closing}); };
  p.boxes.OnBox = [&p](const std::string& title, const std::string& text) {
    BoxShown(p, title, text);
  };
  p.boxes.Refuses = [&p](const std::string& f) { return RefusesFile(p, f); };
}

std::string NowUtc() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return buf;
}

void PulseAnalyzed(Program& p) {
  auto& s = p.history;
  s.Recalled = 0;
  if (!Ensure(p)) return;
  const Run state = control::RunStateOf(p);
  const char* kind = "pre-test";
  if (state == Run::Equalize)
    kind = "equalisation";
  else if (state == Run::FullLevel && p.run.LevelFactor == 1.0f)
    kind = p.Row(row::ControlMode) == 2 ? "transient" : "full level";
  // A second pulse of one event: the first one's outcome is what the plot shows now.
  PostOutcome(p);
  // A run begins before the first pulse of its command (a step's pre-test right after the
  // last step's pulses included); a pulse outside a run (key "P" when idle) gets its own.
  if (RunIsStale(p, state)) EndRun(p, StepEndReason(p));
  s.EventPulse = false;
  if (!s.RunOpen) OpenRun(p, static_cast<int>(state == Run::Idle ? Run::PreTest : state));
  {
    auto job = s.Out->Next();
    job->What = Job::Pulse;
    Capture(p, kind, s.PulseIndex + 1, job->Record);
  }
  s.EventPulse = true;
  s.EventPulseKind = kind;
  s.EventPulseErrorPct.reset();
  s.ShapedBefore = p.shaping.ShapedPulses;
  ++s.PulseIndex;
}

void PulseLearnt(Program& p) {
  auto& s = p.history;
  const auto& f = p.shaping;
  // A pulse the control let be (a transient capture, a skipped one) leaves the figures of
  // the pulse before: only a count that moved belongs to this pulse.
  if (s.EventPulse && f.LastShaped && f.ShapedPulses == s.ShapedBefore + 1)
    s.EventPulseErrorPct = f.LastErrorPct;
}

void AfterEvent(Program& p, const EventEnd& end) {
  auto& s = p.history;
  if (!Ensure(p)) {
    s.EventPulse = false;
    return;
  }
  PostOutcome(p);
  const int now = static_cast<int>(control::RunStateOf(p));
  // A procedure's next step may start its run within the event that ended the last one:
  // the run of the old step has then ended as if the program had gone idle.
  const bool stepChanged = s.RunOpen && (s.RunProcedure != s.Procedure || s.RunStep != s.Step);
  if (s.RunOpen && (now != s.RunKind || stepChanged))
    EndRun(p, EndReason(p, end, stepChanged ? static_cast<int>(Run::Idle) : now));
  if (!s.RunOpen && now != static_cast<int>(Run::Idle) && !end.Closing) OpenRun(p, now);
  if (s.Procedure.empty()) s.Held.reset();  // the procedure ended before another run
  // What a closing program wrote is on the disk before it ends.
  if (end.Closing) s.Out->Flush();
  s.EventPulse = false;
}

void BoxShown(Program& p, const std::string& title, const std::string& text) {
  auto& s = p.history;
  if (!s.Out) return;
  // A procedure's box for a step after the open run's (its pause) is not that run's: it is
  // kept for the procedure's next run.
  if (s.RunOpen && (s.RunProcedure != s.Procedure || s.RunStep != s.Step)) {
    PostOutcome(p);
    EndRun(p, StepEndReason(p));
    s.EventPulse = false;
  }
  const std::string kind = title == "Error!" ? "board error" : "message";
  if (!s.RunOpen) {
    if (!s.Procedure.empty()) s.Held = {NowUtc(), kind, title, text};
    return;
  }
  PostEvent(p, {NowUtc(), kind, title, text});
}

void StartUp(Program& p) {
  auto& s = p.history;
  std::error_code ec;
  if (s.Out || s.Off || s.Path.empty() || !std::filesystem::is_regular_file(s.Path, ec)) return;
  // A run another program is recording has no end yet either.
  if (OpenElsewhere(s.Path)) return;
  std::optional<RunRow> cut;
  try {
    auto db = std::make_unique<Store>(s.Path);
    cut = db->EndInterrupted(NowUtc());
    s.Out = std::make_unique<Writer>(std::move(db));
  } catch (const std::exception& e) {
    Fail(p, e.what());
    return;
  }
  if (!cut) return;
  p.platform.MessageBox(
      "The last run of the test history was interrupted: the program ended without closing it "
      "(it was killed, or the power failed).\n\nRun " +
          std::to_string(cut->Id) + ", " + cut->Kind + ", started " + ShownUtc(cut->Started) +
          ", profile " + (cut->ProfileFile.empty() ? "(none)" : cut->ProfileFile) + ": " +
          std::to_string(cut->Pulses) + (cut->Pulses == 1 ? " pulse" : " pulses") +
          " kept. The run is recorded as interrupted.",
      ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
}

bool RefusesFile(Program& p, const std::string& chosen) {
  const std::string& db = p.history.Path;
  if (db.empty() || chosen.empty()) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file = fs::weakly_canonical(chosen, ec);
  if (ec) return false;
  for (const char* tail : {"", "-wal", "-shm", "-journal"}) {
    const fs::path own = fs::weakly_canonical(db + tail, ec);
    if (ec || own != file) continue;
    p.platform.MessageBox(chosen + " is a file of the test history; choose another file.",
                          ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
    return true;
  }
  return false;
}

void Flush(Program& p) {
  if (p.history.Out) p.history.Out->Flush();
}

std::string PulseCsv(const PulseRecord& r, const char* eol, std::span<const float> driveVolts) {
  std::string out = "\"Time ms\"";
  for (int c = 1; c <= kMaxChannels; ++c) out += ",\"Channel " + std::to_string(c) + " G\"";
  out += ",\"Drive G\"";
  const bool volts = driveVolts.size() == kRecordScans;
  if (volts) out += ",\"Drive V\"";
  out += eol;
  const double m = r.SampleFactor >= 1 && r.SampleFactor <= 8 ? r.SampleFactor : 1;
  for (int i = 0; i < kRecordScans; ++i) {
    out += Number(i * 1000.0 / (1280.0 * m));
    for (int c = 1; c <= kMaxChannels; ++c) {
      out += ',';
      if (c > r.Channels) continue;
      // As on the plot: a channel without a usable calibration reads as zero.
      const int32_t counts =
          int32_t{r.Counts[static_cast<size_t>(c - 1) * kRecordScans + i]} - r.AdcZero;
      out += Number(daq::CountsToG(counts, r.Scale[c]));
    }
    out += ',' + Number((r.DriveCodes[i] - 128) * 0.01 * r.TestLevelG);
    if (volts) out += ',' + Number(driveVolts[i]);
    out += eol;
  }
  return out;
}

}  // namespace history
