// The history of runs on the simulated board, and of a program killed in the middle of one.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "history/history.h"
#include "profile/recompute.h"
#include "sequencer/sequencer.h"
#include "shaping/settings.h"
#include "support/daqsim_fixture.h"

#ifdef KRX8_DAQSIM_PATH

using testing_support::SimTest;
namespace row = profile::row;

namespace {

void Repetitive(Program& p, float total) {
  p.Row(row::RepetitionMode) = 2;
  p.win.CheckOnly(ui::MenuId::mnuShockRepRep, ui::MenuId::mnuShockRepSingle,
                  ui::MenuId::mnuShockRepRep);
  p.Row(row::TotalPulses) = total;
  p.Row(row::RepetitionRate) = 0.1f;
}

constexpr const char* kStartMark = "(Start pressed)";

// Lines of the simulator's call log that fired the master's output after the Start (the
// start-up's own acquisition is no pulse of a run).
int Fired(const std::string& log) {
  std::ifstream in(log);
  int n = 0;
  bool started = false;
  for (std::string line; std::getline(in, line);) {
    if (line == kStartMark) started = true;
    if (started && line.starts_with("daqDacWaveSoftTrig(1")) ++n;
  }
  return n;
}

// The integrity check's answer, the full-level pulses of the runs after `run` and the last
// run.
struct Inspection {
  std::string Check;
  int Pulses, LastRun;
};
Inspection Inspect(const std::string& path, int run) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  std::string check = "(no answer)";
  int pulses = -1, last = run;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
      sqlite3_step(s) == SQLITE_ROW)
    check = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  sqlite3_finalize(s);
  if (sqlite3_prepare_v2(
          db,
          ("SELECT count(*), (SELECT coalesce(max(id), 0) FROM runs) FROM pulses WHERE "
           "kind='full level' AND run_id>" +
           std::to_string(run))
              .c_str(),
          -1, &s, nullptr) == SQLITE_OK &&
      sqlite3_step(s) == SQLITE_ROW)
    pulses = sqlite3_column_int(s, 0), last = sqlite3_column_int(s, 1);
  sqlite3_finalize(s);
  sqlite3_close(db);
  return {check, pulses, last};
}

}  // namespace

TEST_F(SimTest, HistoryKeepsBoardRunsAndTheirBoardErrors) {
  Sim({{"DAQSIM_SHAKER_GAIN", "30"}});
  history::Attach(p, dir_ / "h.sqlite");
  StartWith(1);
  h.Press(ui::ButtonId::cmdEqual);
  h.Advance(2500);
  ASSERT_EQ(p.control.SystemEqualized, 1.0f);
  Repetitive(p, 4);
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(3000);
  ASSERT_EQ(control::RunStateOf(p), run::Run::Idle);

  Change({{"DAQSIM_SHAKER_GAIN", "30"}, {"DAQSIM_FAIL", "daqAdcArm:5"}});
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(1000);
  history::Flush(p);

  history::Store db(p.history.Path);
  const auto runs = db.Runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].Board, "board");
  EXPECT_EQ(runs[0].Pulses, 20);
  EXPECT_EQ(runs[1].Pulses, 4);
  EXPECT_EQ(runs[1].EndedBy, "completed");
  EXPECT_EQ(runs[2].EndedBy, "board error: DaqX Error : 5 Hardware failure (simulated)");
  EXPECT_EQ(runs[2].Pulses, 0);
  const auto events = db.Events(runs[2].Id);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Kind, "board error");
  EXPECT_EQ(events[0].Text, FirstBox("Error!"));

  // The last good pulse converts back to the G of the plot, channel by channel.
  const auto pulses = db.Pulses(runs[1].Id);
  const auto last = db.Pulse(pulses.back().Id);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->AdcZero, p.daq.AdcZero);
  for (int c = 1; c <= 8; ++c)
    for (int i = 0; i < 1024; i += 41)
      EXPECT_EQ(last->Counts[(c - 1) * 1024 + i], p.daq.ScanBuffer[i * 8 + c - 1]);
  ExpectDriveWithinLimits();
}

// Each shaped pulse keeps the waveform error measured on it, not on the pulse before, a
// trip's clearing of the control's figures included; the unshaped ones keep none. A recalled
// shaped pulse shows the drive it played, which never stays to be played again.
TEST_F(SimTest, HistoryKeepsEachShapedPulsesOwnErrorAndRecallsItsOwnDrive) {
  Sim({{"DAQSIM_PLANT", "shaker"}, {"DAQSIM_NOISE", "0.075"}});
  history::Attach(p, dir_ / "h.sqlite");
  StartWith(1);
  p.Row(row::RepetitionMode) = 1;
  shaping::Settings set;
  set.On = true;
  shaping::StoreSettings(set, p.profile.Record);
  profile::RecomputeProfile(p);
  h.Press(ui::ButtonId::cmdEqual);
  h.Advance(30000);
  ASSERT_EQ(p.control.SystemEqualized, 1.0f);
  std::vector<double> errors;
  std::vector<std::array<int16_t, history::kRecordScans>> played;
  std::vector<int> counts;
  for (int i = 0; i < 4; ++i) {
    // The last pulse trips (no level lies within 0 dB of the test level): the trip clears
    // the waveform control's figures before the event ends.
    if (i == 3) p.Row(row::AbortLevelDb) = 0;
    h.Press(ui::ButtonId::cmdStart);
    h.Advance(3000);
    ASSERT_EQ(control::RunStateOf(p), run::Run::Idle);
    errors.push_back(p.shaping.LastShaped ? p.shaping.LastErrorPct : -1);
    played.emplace_back();
    std::copy_n(p.wave.DriveCodes.begin(), history::kRecordScans, played.back().begin());
    counts.push_back(p.run.DrivePeakCounts);
  }
  EXPECT_EQ(p.run.Stop.Kind, run::Stop::Trip) << run::StopText(p.run.Stop);
  EXPECT_FALSE(p.shaping.LastShaped);
  const auto synthesised = p.wave.DriveCodes;
  history::Flush(p);

  history::Store db(p.history.Path);
  const auto runs = db.Runs();
  ASSERT_EQ(runs.size(), 5u);
  for (const auto& pulse : db.Pulses(runs[0].Id)) EXPECT_FALSE(pulse.WaveformErrorPct);
  std::vector<history::PulseRow> shaped;
  for (size_t r = 1; r < runs.size(); ++r) {
    const auto rows = db.Pulses(runs[r].Id);
    ASSERT_EQ(rows.size(), 1u);
    shaped.push_back(rows[0]);
    ASSERT_TRUE(rows[0].WaveformErrorPct) << r;
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(*shaped[i].WaveformErrorPct, errors[i]) << i;
    EXPECT_NE(errors[i], i > 0 ? errors[i - 1] : -1) << i;
  }
  // The tripped pulse's error is the one its status line showed.
  char shown[32];
  std::snprintf(shown, sizeof shown, "error %.1f %%", *shaped[3].WaveformErrorPct);
  EXPECT_NE(p.win.Lbl(ui::LabelId::lblWaveform).Caption.find(shown), std::string::npos)
      << p.win.Lbl(ui::LabelId::lblWaveform).Caption << " / " << shown;
  EXPECT_NE(*shaped[3].WaveformErrorPct, errors[2]);

  ASSERT_TRUE(history::ShowPulse(p, shaped[1].Id));
  EXPECT_TRUE(std::equal(played[1].begin(), played[1].end(), p.wave.DriveCodes.begin()));
  EXPECT_FALSE(std::equal(played[1].begin(), played[1].end(), synthesised.begin()));
  EXPECT_EQ(p.run.DrivePeakCounts, counts[1]);
  // The next equalisation (before any pulse of the profile) plays the synthesised drive.
  h.Press(ui::ButtonId::cmdEqual);
  h.Advance(30000);
  EXPECT_EQ(p.control.SystemEqualized, 1.0f);
  EXPECT_EQ(p.wave.DriveCodes, synthesised);
  ExpectDriveWithinLimits();
}

// The program on the simulated board in a repetitive run, killed at seeded random moments:
// each time the file is sound and holds every fired pulse but at most the one in flight.
// Each round starts where the killed one left the file.
TEST(HistoryCrash, KilledAtAnyMomentTheDatabaseHoldsEveryPulseBeforeTheKill) {
  testing_support::TempDir dir;
  const std::string path = dir / "h.sqlite";
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> moment(100, 800);
  int lastRun = 0, total = 0;
  for (int round = 0; round < 20; ++round) {
    const std::string log = dir / ("calls-" + std::to_string(round) + ".log");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("DAQSIM_LOG", log.c_str(), 1);
      setenv("DAQSIM_SHAKER_GAIN", "30", 1);
      testing_support::InDirectory in(dir.Path());
      testing_support::Harness h;
      Program& p = h.prog;
      p.daq.DriverPath = KRX8_DAQSIM_PATH;
      history::Attach(p, path);
      h.Start();
      p.control.SystemEqualized = 1;
      // No trip may end the run before the kill.
      p.Row(row::AbortLevelDb) = 25;
      for (int r : {row::LimitA, row::LimitV, row::LimitD}) p.Row(r) = 1e9f;
      Repetitive(p, 1e6f);
      std::ofstream(log, std::ios::app) << kStartMark << std::endl;
      h.Press(ui::ButtonId::cmdStart);
      for (;;) h.Advance(100);
    }
    usleep(static_cast<useconds_t>(moment(random)) * 1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const auto [check, pulses, run] = Inspect(path, lastRun);
    lastRun = run;
    const int fired = Fired(log);
    EXPECT_EQ(check, "ok") << "round " << round;
    EXPECT_TRUE(pulses == fired || pulses == fired - 1)
        << "round " << round << ": " << pulses << " kept, " << fired << " fired";
    total += fired;
  }
  EXPECT_GT(total, 20) << "the kills came before the run fired";
}

#endif
