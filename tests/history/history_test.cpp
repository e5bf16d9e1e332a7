#include "history/history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "daq/acquisition.h"
#include "display/plot.h"
#include "files/data_file.h"
#include "procedure/procedure_file.h"
#include "procedure/runner.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "sequencer/sequencer.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using namespace testing_support;
using ui::ButtonId;
using ui::MenuId;
namespace row = profile::row;

namespace {

// A demo-mode program whose pulses go through the real capture and analysis, with its
// history in a folder of its own.
class HistoryRun : public ::testing::Test {
 protected:
  void SetUp() override {
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
    p.daq.GainPeakG = 15;
    daq::InitAcquisition(p);
    daq::SelectInputGains(p);
    daq::ComputeChannelScales(p);
    profile::RecomputeProfile(p);
    history::Attach(p, dir_ / "h.sqlite");
  }
  void Repetitive(float total) {
    p.Row(row::RepetitionMode) = 2;
    p.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
    p.Row(row::TotalPulses) = total;
    p.Row(row::RepetitionRate) = 1;
  }
  void RunToIdle(double ms = 60000) {
    for (double t = 0; t < ms && control::RunStateOf(p) != run::Run::Idle; t += 100) h.Advance(100);
  }
  // The rows the writer has committed, through a reader of its own.
  history::Store& Db() {
    history::Flush(p);
    if (!db_) db_ = std::make_unique<history::Store>(p.history.Path);
    return *db_;
  }
  std::unique_ptr<history::Store> db_;

  TempDir dir_;
  InDirectory in_{dir_.Path()};
  Harness h;
  Program& p = h.prog;
};

}  // namespace

TEST_F(HistoryRun, DemoRunsKeepEveryPulseWithItsRawRecordAndHowTheRunEnded) {
  h.Press(ButtonId::cmdEqual);
  RunToIdle();
  Repetitive(3);
  h.Press(ButtonId::cmdStart);
  RunToIdle();
  ASSERT_TRUE(p.history.Out);

  auto runs = Db().Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Kind, "Equalize");
  EXPECT_EQ(runs[0].Pulses, 20);
  EXPECT_EQ(runs[0].EndedBy, "completed");
  EXPECT_EQ(runs[0].Board, "demo");
  EXPECT_EQ(runs[1].Kind, "Start");
  EXPECT_EQ(runs[1].Pulses, 3);
  EXPECT_EQ(runs[1].EndedBy, "completed");
  EXPECT_FALSE(runs[1].Ended.empty());
  EXPECT_EQ(runs[1].Folder, std::filesystem::current_path().string());
  EXPECT_EQ(Db().RunProfile(runs[1].Id).substr(0, 40),
            profile::ProfileText(p.profile.Record).substr(0, 40));

  auto pulses = Db().Pulses(runs[1].Id);
  ASSERT_EQ(pulses.size(), 3u);
  EXPECT_EQ(Db().Pulses(runs[0].Id)[0].Kind, "equalisation");
  EXPECT_EQ(pulses[2].Kind, "full level");
  EXPECT_EQ(pulses[2].Index, 3);

  // The last pulse is still in the buffers: its counts, scales and peaks are kept exactly.
  auto last = Db().Pulse(pulses[2].Id);
  ASSERT_TRUE(last && last->Outcome);
  EXPECT_EQ(last->ControlPeakG, p.control.ControlPeakG);
  EXPECT_EQ(last->DrivePeakCounts, p.run.DrivePeakCounts);
  EXPECT_EQ(last->Outcome->PeakA, p.plot.ResponsePeakA);
  EXPECT_EQ(last->Outcome->RefPeakA, p.plot.RefPeakA);
  ASSERT_EQ(last->Channels, 8);
  for (int c = 1; c <= 8; ++c) {
    EXPECT_EQ(last->Scale[c], p.daq.ChannelScale[c]);
    for (int i = 0; i < 1024; i += 97)
      EXPECT_EQ(last->Counts[(c - 1) * 1024 + i], p.daq.ScanBuffer[i * 8 + c - 1]);
  }
}

TEST_F(HistoryRun, TripAbortAndBoxesOfARunAreKept) {
  p.control.SystemEqualized = 1;
  p.Row(row::LimitA) = 0.001f;  // the first pulse trips on the acceleration limit
  h.Press(ButtonId::cmdStart);
  RunToIdle();
  ASSERT_TRUE(p.history.Out);
  auto runs = Db().Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].EndedBy.substr(0, 6), "trip: ") << runs[0].EndedBy;
  auto events = Db().Events(runs[0].Id);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().Title, h.plat.Boxes.back().Title);

  p.Row(row::LimitA) = 1e9f;
  p.Row(row::AbortLevelDb) = 25;
  p.control.SystemEqualized = 1;
  Repetitive(100);
  h.Press(ButtonId::cmdStart);
  h.Advance(2500);
  h.Click(MenuId::mnuRunAbort);
  runs = Db().Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].EndedBy, "aborted by the operator");
  EXPECT_GE(runs[1].Pulses, 2);
}

TEST_F(HistoryRun, UnusableDatabaseGivesOneBoxAndTheRunGoesOn) {
  const auto folder = dir_.Path() / "locked";
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0555);
  history::Attach(p, (folder / "h.sqlite").string());
  // Root writes into any folder: a folder that is a file stands in for it.
  if (::geteuid() == 0) {
    WriteFile(dir_ / "plain", "");
    history::Attach(p, dir_ / "plain/h.sqlite");
  }
  h.Press(ButtonId::cmdEqual);
  RunToIdle();
  Repetitive(3);
  h.Press(ButtonId::cmdStart);
  RunToIdle();
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(p.control.SystemEqualized, 1);
  EXPECT_EQ(h.plat.CountBoxes(history::kTitle), 1);
  EXPECT_NE(h.plat.Boxes[0].Text.find(p.history.Path), std::string::npos);
  EXPECT_NE(p.win.Caption.find("HISTORY OFF"), std::string::npos);
  EXPECT_EQ(p.run.PulseCount, 3);
  EXPECT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(control::RunStateOf(p), run::Run::Idle);
}

TEST_F(HistoryRun, RecalledPulseGivesTheSamePlotPeaksAndDataFile) {
  h.Press(ButtonId::cmdEqual);
  RunToIdle();
  Repetitive(2);
  h.Press(ButtonId::cmdStart);
  RunToIdle();
  ASSERT_TRUE(p.history.Out);
  const auto pulses = Db().Pulses(Db().Runs().back().Id);
  ASSERT_EQ(pulses.size(), 2u);

  // Captured: the second pulse as the operator saw it.
  display::RefreshPlot(p);
  const auto drawn = h.plat.Plot.Items;
  const float peakA = p.plot.ResponsePeakA, peakV = p.plot.ResponsePeakV;
  const std::string data = files::TestDataText(p);

  // Something else on screen, then the recall.
  h.Press(ButtonId::cmdPreTest);
  RunToIdle();
  ASSERT_TRUE(history::ShowPulse(p, pulses[1].Id));
  EXPECT_EQ(p.plot.ResponsePeakA, peakA);
  EXPECT_EQ(p.plot.ResponsePeakV, peakV);
  EXPECT_EQ(p.history.Recalled, pulses[1].Id);
  EXPECT_NE(p.win.Lbl(ui::LabelId::lblStatus).Caption.find("RECALLED"), std::string::npos);
  display::RefreshPlot(p);
  ASSERT_EQ(h.plat.Plot.Items.size(), drawn.size());
  for (size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_EQ(h.plat.Plot.Items[i].Y1, drawn[i].Y1) << i;
    EXPECT_EQ(h.plat.Plot.Items[i].Str, drawn[i].Str) << i;
  }
  // The profile lines hold the gain after the between-pulse correction; the samples and
  // the trailer of measured values are the pulse's.
  EXPECT_EQ(files::TestDataText(p).substr(0, 40000), data.substr(0, 40000));

  // The window's rows and its Export, as the operator reaches them.
  h.plat.Files.push_back(dir_ / "pulse.csv");
  std::vector<ui::HistoryRunRow> runs;
  std::vector<ui::HistoryPulseRow> rows;
  {
    history::Flush(p);
    history::Store(p.history.Path).BeginRun({});  // a run without pulses
  }
  size_t shownRuns = 0;
  h.plat.OnHistory = [&](ui::HistoryModel& m) {
    shownRuns = m.Runs(false).size();
    runs = m.Runs(true);
    rows = m.Pulses(runs[1].Id);
    m.Export(rows[1].Id);
    m.Export(rows[0].Id);  // cancelled: the dialog answers its proposal
  };
  h.Click(MenuId::mnuFileHistory);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(shownRuns, 3u);
  EXPECT_EQ(h.plat.Dialogs.back().FileName, "pulse-" + std::to_string(rows[0].Id) + ".csv");
  EXPECT_FALSE(std::filesystem::exists(h.plat.Dialogs.back().FileName));
  EXPECT_EQ(runs[1].Kind, "Start");
  EXPECT_EQ(runs[1].Pulses, "2");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].Kind, "full level");
  EXPECT_EQ(ReadFile(dir_ / "pulse.csv"), history::PulseCsv(*Db().Pulse(rows[1].Id), "\r\n"));

  EXPECT_FALSE(history::ShowPulse(p, 12345));
  EXPECT_EQ(h.plat.Boxes.back().Title, history::kTitle);
}

// A dialog's answer naming the history or a companion is refused as a cancel, with one box:
// the program never reads or writes them through a descriptor of its own.
TEST_F(HistoryRun, FileDialogsCannotHandTheHistorysFilesToTheProgram) {
  h.Press(ButtonId::cmdPreTest);
  RunToIdle();
  ASSERT_TRUE(p.history.Out);
  history::Flush(p);
  const std::string before = ReadFile(p.history.Path), wal = ReadFile(p.history.Path + "-wal");
  h.plat.Files.push_back(p.history.Path + "-wal");
  h.Click(MenuId::mnuFileSaveProfile);
  h.plat.Files.push_back("h.sqlite");  // relative to the working folder
  h.Click(MenuId::mnuFileOpenProfile);
  EXPECT_EQ(h.plat.CountBoxes(history::kTitle), 2);
  EXPECT_NE(h.plat.Boxes.back().Text.find("h.sqlite is a file of the test history"),
            std::string::npos);
  EXPECT_EQ(ReadFile(p.history.Path), before);
  EXPECT_EQ(ReadFile(p.history.Path + "-wal"), wal);
}

// A program killed mid-run leaves a run without an end: the next start says so once and
// records it as interrupted; a run another program still records is left alone.
TEST_F(HistoryRun, AnInterruptedRunIsToldAtStartUpAndEndedAsInterrupted) {
  {
    history::Store db(p.history.Path);
    history::RunStart r;
    r.Started = "2026-12-09T11:40:35.250Z";
    r.Kind = "Start";
    r.ProfileFile = "KRXFileC.001";
    const int64_t run = db.BeginRun(r);
    history::PulseRecord rec;
    rec.Channels = 1;
    rec.Counts.assign(1024, 0);
    for (int i = 0; i < 3; ++i) db.AddPulse(run, rec);
    // Still open in another program: not ours to end.
    const pid_t other = ::fork();
    if (other == 0) {
      Harness h2;
      history::Attach(h2.prog, p.history.Path);
      history::StartUp(h2.prog);
      ::_exit(h2.plat.CountBoxes(history::kTitle) == 0 && !h2.prog.history.Out ? 0 : 1);
    }
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  h.Start();
  ASSERT_EQ(h.plat.CountBoxes(history::kTitle), 1);
  const std::string& text = h.plat.Boxes.back().Text;
  for (const char* part : {"interrupted", "2026-12-09 11:40:35 UTC", "3 pulses", "KRXFileC.001"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  const auto runs = Db().Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].EndedBy, "interrupted");
  EXPECT_FALSE(runs[0].Ended.empty());
}

// A step that reuses the last step's equalisation fires its pre-test in the event that ended
// the last step's pulses: the pre-test and the pause before it belong to the new step's runs.
TEST_F(HistoryRun, EachStepsPulsesAndPauseAreFiledUnderItsOwnRuns) {
  p.Row(row::TotalPulses) = 2;
  p.Row(row::RepetitionRate) = 1;
  WriteFile(dir_ / "KRXFileC.001", profile::ProfileText(p.profile.Record));
  WriteFile(dir_ / "p.toml", R"(title = "Two"
[[step]]
name = "A"
profile = "KRXFileC.001"
pretest = false
[[step]]
pause = "Turn the specimen."
[[step]]
name = "B"
profile = "KRXFileC.001"
pretest = true
)");
  procedure::Procedure proc;
  std::vector<std::string> errors;
  ASSERT_TRUE(procedure::LoadProcedure(dir_ / "p.toml", proc, errors));
  ASSERT_TRUE(procedure::Begin(p, proc));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  for (double t = 0; t < 120000 && !procedure::Finished(p); t += 50) h.Advance(50);
  ASSERT_TRUE(procedure::Finished(p));
  int pretests = 0, pauses = 0;
  for (const auto& run : Db().Runs()) {
    for (const auto& pulse : Db().Pulses(run.Id)) {
      if (pulse.Kind != "pre-test") continue;
      ++pretests;
      EXPECT_EQ(run.Step, "B");
      EXPECT_EQ(run.Kind, "Pre-test");
    }
    for (const auto& e : Db().Events(run.Id))
      if (e.Text == "Turn the specimen.") {
        ++pauses;
        EXPECT_NE(run.Step, "A");
      }
    EXPECT_FALSE(run.EndedBy.empty()) << run.Id;
  }
  EXPECT_EQ(pretests, 1);
  EXPECT_EQ(pauses, 1);
}
