#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "app/lockout.h"
#include "app/remote.h"
#include "commands/headless.h"
#include "history/history.h"
#include "history/store.h"
#include "history/writer.h"
#include "procedure/plan.h"
#include "procedure/procedure_file.h"
#include "procedure/report.h"
#include "procedure/runner.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "sequencer/sequencer.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "ui/headless_platform.h"

using testing_support::Harness;
using testing_support::RecordingPrinter;
using testing_support::TempDir;
using testing_support::WriteFile;
using ui::MenuId;
namespace row = profile::row;

namespace {

// A profile file as the program writes it, over the built-in defaults.
void WriteProfile(const std::string& path, float amplitude, float pulses, float period,
                  float abortDb = 25, float acceptOn = 0,
                  const std::function<void(Program&)>& more = nullptr) {
  ui::HeadlessPlatform pf;
  auto p = std::make_unique<Program>(pf);
  profile::SetProfileDefaults(*p);
  p->Row(row::PulseAmplitude) = amplitude;
  p->Row(row::TotalPulses) = pulses;
  p->Row(row::RepetitionRate) = period;
  p->Row(row::RepetitionMode) = 1;
  p->Row(row::AbortLevelDb) = abortDb;
  for (int r : {row::LimitA, row::LimitV, row::LimitD}) p->Row(r) = 1e9f;
  p->Row(row::AcceptOn) = acceptOn;
  if (more) more(*p);
  WriteFile(path, profile::ProfileText(p->profile.Record));
}

struct Fired {
  double At;
  float LevelG;
  float Polarity;
  float Factor;
};
std::vector<Fired> fired_;

// A plant that answers exactly the wanted level at a drive gain of 1.
void Plant(Program& p) {
  p.run.PulseCount++;
  profile::ComputeDrivePeak(p);
  p.control.ControlPeakG = p.run.LevelFactor * p.plot.TestLevelG * p.Row(row::DriveGain);
  fired_.push_back({static_cast<testing_support::TestPlatform&>(p.boxes.Inner()).NowMs,
                    p.plot.TestLevelG, p.Row(row::Polarity), p.run.LevelFactor});
}

class ProcedureRun : public ::testing::Test {
 protected:
  ProcedureRun() {
    fired_.clear();
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
    profile::RecomputeProfile(p);
    p.control.PulseSource = Plant;
    WriteProfile(dir_ / "KRXFileC.001", 10, 5, 1.5f);
    WriteProfile(dir_ / "KRXFileC.002", 20, 1, 1.0f);
    WriteProfile(dir_ / "KRXFileC.003", 10, 1, 1.0f, 3);  // an abort band no plant meets
  }
  bool Load(const std::string& toml) {
    WriteFile(dir_ / "test.toml", toml);
    errors_.clear();
    return procedure::LoadProcedure(dir_ / "test.toml", proc_, errors_);
  }
  // Begins the procedure and lets virtual time run until it has finished.
  void RunToEnd(double limitMs = 120000) {
    ASSERT_TRUE(procedure::Begin(p, proc_));
    h.Send(app::Event::Of(app::EventKind::Procedure));
    for (double t = 0; t < limitMs && !procedure::Finished(p); t += 50) h.Advance(50);
  }
  std::string Summary() const {
    std::string all;
    for (const auto& l : procedure::SummaryLines(p)) all += l + "\n";
    return all;
  }
  RecordingPrinter& Pdf() { return static_cast<RecordingPrinter&>(*p.procedure.Pdf); }

  TempDir dir_;
  Harness h;
  Program& p = h.prog;
  procedure::Procedure proc_;
  std::vector<std::string> errors_;
};

TEST_F(ProcedureRun, TheFileIsCheckedWholeAndEachErrorNamesFileLineAndKey) {
  ASSERT_TRUE(Load(R"(title = "Qualification"
[[step]]
name = "X+"
profile = "KRXFileC.001"
[[step]]
pause = "Turn the specimen."
[[step]]
profile = "KRXFileC.002"
polarity = "negative"
level = 50
pulses = 2
period = 2.5
pretest = false
pretest_pulses = 3
waveform_control = true
equalize = "never"
stop_on_fail = false
)")) << errors_.front();
  EXPECT_EQ(proc_.Title, "Qualification");
  EXPECT_EQ(proc_.Report, dir_ / "test.pdf");
  ASSERT_EQ(proc_.Steps.size(), 3u);
  EXPECT_EQ(proc_.Steps[0].PulsesToFire, 5);  // the profile's own
  EXPECT_DOUBLE_EQ(proc_.Steps[0].PeriodToUse, 1.5);
  EXPECT_EQ(proc_.Steps[1].Pause, "Turn the specimen.");
  EXPECT_EQ(proc_.Steps[2].Name, "Step 3");
  EXPECT_EQ(proc_.Steps[2].Polar, procedure::Polarity::Negative);
  EXPECT_EQ(proc_.Steps[2].PulsesToFire, 2);
  EXPECT_EQ(proc_.Steps[2].Equalize, procedure::EqualizeWhen::Never);
  EXPECT_EQ(proc_.Steps[2].PretestPulses, 3);
  EXPECT_EQ(proc_.Steps[2].WaveformControl, true);
  EXPECT_EQ(proc_.Steps[0].PretestPulses, 1);
  EXPECT_FALSE(proc_.Steps[0].WaveformControl.has_value());
  // The plan the operator confirms says that the drive will be shaped.
  EXPECT_NE(procedure::PlanLine(proc_.Steps[2], 3).find(", waveform control;"), std::string::npos);
  EXPECT_EQ(procedure::PlanLine(proc_.Steps[0], 1).find("waveform control"), std::string::npos);

  const std::string f = dir_ / "test.toml";
  struct Case {
    const char* Toml;
    std::string Error;
  } cases[] = {
      {"titel = \"x\"\n[[step]]\nprofile = \"KRXFileC.001\"\n", f + ":1: titel: unknown key"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nlevl = 50\n", f + ":3: step 1 levl: unknown key"},
      {"[[step]]\nprofile = \"KRXFileC.009\"\n", f + ":2: step 1 profile: no such profile"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\npulses = 0\n",
       f + ":3: step 1 pulses: must be between 1 and 9999"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\npulses = 2.5\n",
       f + ":3: step 1 pulses: must be a whole number"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nperiod = 0.05\n", f + ":3: step 1 period: must be"},
      // 10 G at 3000 % is beyond what the amplitude prompt takes.
      {"[[step]]\nprofile = \"KRXFileC.001\"\nlevel = 3000\n", f + ":3: step 1 level: must be"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nlevel = 4\n", f + ":3: step 1 level: gives a peak"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\npolarity = \"up\"\n",
       f + ":3: step 1 polarity: must be"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nequalize = true\n", f + ":3: step 1 equalize:"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\npretest_pulses = 21\n",
       f + ":3: step 1 pretest_pulses: must be between 0 and 20"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nwaveform_control = 1\n",
       f + ":3: step 1 waveform_control:"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\nwaveshape = \"none.dat\"\n",
       f + ":3: step 1 waveshape: cannot read"},
      {"[[step]]\npause = \"Turn it\"\nlevel = 50\n", f + ":3: step 1 level: a pause step"},
      {"[[step]]\nname = \"empty\"\n", f + ":1: step 1 profile: missing"},
      {"[[step]]\npause = \"only a pause\"\n", f + ":1: step: no step fires a pulse"},
      {"title = \"x\"\n", f + ":1: step: the procedure has no [[step]]"},
      {"[[step]]\nprofile = \"KRXFileC.001\"\npulses = \n", f + ":3:"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Load(c.Toml)) << c.Toml;
    ASSERT_FALSE(errors_.empty()) << c.Toml;
    EXPECT_EQ(errors_.front().rfind(c.Error, 0), 0u) << c.Toml << "\n" << errors_.front();
  }
  // Every error is told, not only the first.
  EXPECT_FALSE(Load("bad = 1\n[[step]]\nprofile = \"KRXFileC.001\"\npulses = -1\nperiod = 0\n"));
  EXPECT_EQ(errors_.size(), 3u);
}

TEST_F(ProcedureRun, AThreeStepProcedureFiresItsPulsesAtTheirLevelsAndPolarities) {
  history::Attach(p, dir_ / "h.sqlite");
  ASSERT_TRUE(Load(R"(title = "Three"
[[step]]
name = "X+"
profile = "KRXFileC.001"
pulses = 3
period = 2
[[step]]
name = "X-"
profile = "KRXFileC.001"
polarity = "negative"
pulses = 2
period = 1
pretest = false
[[step]]
name = "Y half"
profile = "KRXFileC.002"
level = 50
pulses = 1
)")) << errors_.front();
  RunToEnd();
  ASSERT_TRUE(procedure::Finished(p));
  EXPECT_EQ(p.procedure.End, procedure::Ending::Completed) << p.procedure.EndText;
  EXPECT_EQ(procedure::ExitStatus(p), 0);
  const auto& steps = p.procedure.Steps;
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].Fired, 3);
  EXPECT_EQ(steps[1].Fired, 2);
  EXPECT_EQ(steps[2].Fired, 1);
  // Equalised for profile 1 once: the second step at the same level keeps its gain.
  EXPECT_TRUE(steps[0].Equalized);
  EXPECT_FALSE(steps[1].Equalized);
  EXPECT_TRUE(steps[2].Equalized);
  EXPECT_EQ(steps[0].Pulses.size(), 4u);  // the pre-test pulse, then three
  EXPECT_TRUE(steps[0].Pulses[0].Pretest);
  EXPECT_EQ(steps[1].Pulses.size(), 2u);

  // Full-level pulses: 10 G positive, 10 G negative, 10 G (50 % of 20) positive.
  std::vector<Fired> full;
  for (const auto& f : fired_)
    if (f.Factor == 1.0f) full.push_back(f);
  ASSERT_GE(full.size(), 6u);
  const auto last6 = std::vector<Fired>(full.end() - 6, full.end());
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(last6[i].LevelG, 10, 1e-3) << i;
  EXPECT_EQ(last6[0].Polarity, 1);
  EXPECT_EQ(last6[3].Polarity, 2);
  EXPECT_EQ(last6[5].Polarity, 1);
  // The step's period paces its pulses, not the profile's single mode.
  EXPECT_NEAR(last6[2].At - last6[1].At, 2000, 1);
  EXPECT_NEAR(last6[4].At - last6[3].At, 1000, 1);
  // No profile file was changed by the overrides.
  procedure::Procedure again;
  ASSERT_TRUE(procedure::LoadProcedure(dir_ / "test.toml", again, errors_));
  EXPECT_EQ(again.Steps[0].PeriodToUse, 2);
  EXPECT_EQ(again.Steps[2].PulsesToFire, 1);

  // The report: a summary, then a kept page and a table for each step.
  EXPECT_EQ(h.plat.PdfPaths, std::vector<std::string>{dir_ / "test.pdf"});
  EXPECT_EQ(Pdf().NewPages, 6);
  EXPECT_EQ(Pdf().Docs, 1);
  // Acceptance is off in these profiles: nobody judged a pulse.
  EXPECT_EQ(procedure::OverallVerdict(p), "COMPLETED - NOT JUDGED");
  EXPECT_NE(Summary().find("PASS 0, FAIL 0, NOT JUDGED 3"), std::string::npos) << Summary();
  EXPECT_NE(Summary().find("3. Y half: KRXFileC.002, 50 %, pulses 1 of 1"), std::string::npos)
      << Summary();
  EXPECT_EQ(p.win.Lbl(ui::LabelId::lblStatus).Caption, "PROCEDURE COMPLETED");
  EXPECT_EQ(p.profile.ProfileFileName, dir_ / "KRXFileC.002");  // as File > Open names it

  // The history holds the procedure as one group of runs, each named by its step.
  ASSERT_TRUE(p.history.Out);
  p.history.Out->Flush();
  std::set<std::string> named;
  for (const auto& run : history::Store(p.history.Path).Runs()) {
    EXPECT_EQ(run.Procedure, "Three");
    named.insert(run.Step);
  }
  EXPECT_EQ(named, (std::set<std::string>{"X+", "X-", "Y half"}));
}

TEST_F(ProcedureRun, ATripStopsTheProcedureAndTheLaterStepsDoNotRun) {
  ASSERT_TRUE(Load(R"([[step]]
profile = "KRXFileC.001"
pulses = 1
[[step]]
profile = "KRXFileC.003"
pulses = 3
[[step]]
profile = "KRXFileC.001"
)"));
  RunToEnd();
  EXPECT_EQ(p.procedure.End, procedure::Ending::Tripped);
  EXPECT_EQ(procedure::ExitStatus(p), 1);
  EXPECT_EQ(p.procedure.Steps[1].Fired, 1);
  EXPECT_FALSE(p.procedure.Steps[2].Ran);
  EXPECT_EQ(control::RunStateOf(p), run::Run::Idle);
  EXPECT_NE(Summary().find("TRIPPED - "), std::string::npos) << Summary();
  EXPECT_NE(Summary().find("3. Step 3: not run"), std::string::npos) << Summary();
  EXPECT_EQ(procedure::OverallVerdict(p), "TRIPPED");
}

// The plant answers with a peak but records no samples: every judged pulse fails its peak.
TEST_F(ProcedureRun, AnAcceptanceFailStopsTheProcedureAtThatPulse) {
  WriteProfile(dir_ / "KRXFileC.004", 10, 3, 1.0f, 25, 1);
  ASSERT_TRUE(Load(R"([[step]]
profile = "KRXFileC.004"
[[step]]
profile = "KRXFileC.001"
)"));
  RunToEnd();
  EXPECT_EQ(p.procedure.End, procedure::Ending::Failed);
  EXPECT_EQ(procedure::ExitStatus(p), 1);
  EXPECT_EQ(p.procedure.Steps[0].Fired, 1);
  EXPECT_FALSE(p.procedure.Steps[1].Ran);
  EXPECT_EQ(control::RunStateOf(p), run::Run::Idle);
  EXPECT_NE(Summary().find("acceptance FAIL - PEAK"), std::string::npos) << Summary();
  EXPECT_EQ(procedure::OverallVerdict(p), "FAILED");
  // The shock counter counts the pulse that was fired, on the screen and the step's page.
  EXPECT_EQ(p.win.Lbl(ui::LabelId::lblShockNo).Caption, " SHOCK # =  1");
  int pages = 0;
  for (const auto& it : Pdf().Items) pages += it.Str == " SHOCK # =  1";
  EXPECT_EQ(pages, 1);
}

TEST_F(ProcedureRun, APauseWaitsForTheOperatorAndStopsWhenNobodyAnswers) {
  const char* file = R"([[step]]
profile = "KRXFileC.001"
pulses = 1
[[step]]
pause = "Turn the specimen to the Y axis, then continue."
[[step]]
profile = "KRXFileC.002"
)";
  ASSERT_TRUE(Load(file));
  h.plat.PauseAnswers = {ui::Answer::No};
  RunToEnd();
  EXPECT_EQ(h.plat.Pauses,
            std::vector<std::string>{"Turn the specimen to the Y axis, then continue."});
  EXPECT_EQ(p.procedure.End, procedure::Ending::NoOperator);
  EXPECT_EQ(procedure::ExitStatus(p), 3);
  EXPECT_FALSE(p.procedure.Steps[2].Ran);

  const auto before = fired_.size();
  h.plat.PauseAnswers = {ui::Answer::Cancel};
  RunToEnd();
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  EXPECT_EQ(procedure::OverallVerdict(p), "ABORTED");
  EXPECT_GT(fired_.size(), before);
  EXPECT_FALSE(p.procedure.Steps[2].Ran);

  RunToEnd();  // Continue
  EXPECT_EQ(p.procedure.End, procedure::Ending::Completed);
  EXPECT_EQ(p.procedure.Steps[2].Fired, 1);
}

TEST_F(ProcedureRun, AnAbortBetweenPulsesStopsAtOnceAndTheReportSaysAborted) {
  ASSERT_TRUE(Load("[[step]]\nprofile = \"KRXFileC.001\"\npulses = 10\nperiod = 1\n"));
  ASSERT_TRUE(procedure::Begin(p, proc_));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  h.Advance(5000);
  const auto n = fired_.size();
  ASSERT_EQ(control::RunStateOf(p), run::Run::FullLevel);
  h.Key('A');
  EXPECT_TRUE(procedure::Finished(p));
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  h.Advance(5000);
  EXPECT_EQ(fired_.size(), n);
  EXPECT_EQ(procedure::ExitStatus(p), 1);
  EXPECT_EQ(procedure::OverallVerdict(p), "ABORTED");
  EXPECT_EQ(Pdf().Docs, 1);

  // Closing the window in the middle still writes the report.
  ASSERT_TRUE(procedure::Begin(p, proc_));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  h.Advance(5000);
  h.Send(app::Event::Of(app::EventKind::Unload));
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  EXPECT_EQ(p.procedure.EndText, "the program was closed");
  EXPECT_EQ(Pdf().Docs, 1);
}

TEST_F(ProcedureRun, ARefusedFileDrivesNothingAndSaysWhy) {
  WriteFile(dir_ / "bad.toml", "[[step]]\nprofile = \"KRXFileC.001\"\nlevel = \"loud\"\n");
  h.plat.Files.push_back(dir_ / "bad.toml");
  h.Click(MenuId::mnuRunProcedure);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_NE(h.plat.Boxes[0].Text.find("bad.toml:3: step 1 level: must be a number"),
            std::string::npos)
      << h.plat.Boxes[0].Text;
  EXPECT_FALSE(procedure::Active(p));
  h.Advance(3000);
  EXPECT_TRUE(fired_.empty());
  EXPECT_TRUE(h.plat.PdfPaths.empty());
}

// The whole plan is checked before anything is driven, each error at its line and key, in
// line order; the check never throws, whatever the names.
TEST_F(ProcedureRun, TheCheckRefusesWhatWouldFailLaterAndKeepsEarlierReports) {
  WriteProfile(dir_ / "KRXFileC.005", 10, 1, 1.0f, 25, 0,
               [](Program& q) { q.Row(row::LimitD) = 0.001f; });  // no pulse fits
  WriteProfile(dir_ / "KRXFileC.006", 10, 1, 1.0f, 25, 1,
               [](Program& q) { q.Row(row::TolPeakPct) = 150; });
  const std::string f = dir_ / "test.toml";
  EXPECT_FALSE(
      Load("[[step]]\nprofile = \"KRXFileC.001\"\n[[step]]\nprofile = \"KRXFileC.005\"\n"
           "polarity = \"negative\"\nlevel = 50\n"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind(f + ":6: step 2 level: at 5.00 G negative the reference's "
                                 "displacement",
                             0),
            0u)
      << errors_[0];
  EXPECT_FALSE(Load("[[step]]\nprofile = \"KRXFileC.006\"\n"));
  EXPECT_NE(errors_.at(0).find(":2: step 1 profile: the profile's tolerance setting Peak"),
            std::string::npos)
      << errors_[0];

  // The report: never over another file, never into a folder that is not there.
  const char* step = "[[step]]\nprofile = \"KRXFileC.001\"\n";
  EXPECT_FALSE(Load(std::string("report = \"KRXFileC.001\"\n") + step));
  EXPECT_NE(errors_.at(0).find(":1: report: "), std::string::npos);
  EXPECT_NE(errors_[0].find("is not a report"), std::string::npos) << errors_[0];
  EXPECT_FALSE(Load(std::string("report = \"none/r.pdf\"\n") + step));
  EXPECT_NE(errors_.at(0).find("does not exist"), std::string::npos) << errors_[0];
  // A path of thousands of characters is an error line, not an abort; errors in line order.
  const std::string huge(5000, 'x');
  EXPECT_FALSE(Load("[[step]]\nprofile = \"" + huge + "\"\n[[step]]\nprofile = \"/" + huge +
                    "/p\"\nbad = 1\n"));
  ASSERT_EQ(errors_.size(), 2u);
  EXPECT_EQ(errors_[0].rfind(f + ":2: step 1 profile: no such profile", 0), 0u);
  EXPECT_EQ(errors_[1].rfind(f + ":5: step 2 bad: unknown key", 0), 0u);
  EXPECT_LT(errors_[0].size(), 400u);

  // An earlier report is kept as NAME.1.pdf, NAME.2.pdf ... when the next one begins.
  WriteFile(dir_ / "test.pdf", "%PDF-1.4 first");
  WriteFile(dir_ / "test.1.pdf", "%PDF-1.4 older");
  ASSERT_TRUE(Load(step)) << errors_.front();
  EXPECT_EQ(procedure::KeptReportName(dir_ / "test.pdf"), dir_ / "test.2.pdf");
  ASSERT_TRUE(procedure::Begin(p, proc_));
  EXPECT_EQ(testing_support::ReadFile(dir_ / "test.2.pdf"), "%PDF-1.4 first");
  EXPECT_EQ(testing_support::ReadFile(dir_ / "test.1.pdf"), "%PDF-1.4 older");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "test.pdf"));

  // A stop on FAIL that nothing can give is pointed out, not refused.
  EXPECT_TRUE(Load("[[step]]\nprofile = \"KRXFileC.002\"\nstop_on_fail = true\n"));
  ASSERT_EQ(proc_.Warnings.size(), 1u);
  EXPECT_EQ(proc_.Warnings[0].rfind(f + ":3: step 1 stop_on_fail: the profile judges no pulse", 0),
            0u);
}

TEST_F(ProcedureRun, CheckPrintsOneLinePerStepAndOpensNothing) {
  ASSERT_TRUE(
      Load("title = \"Plan\"\n[[step]]\nname = \"X+\"\nprofile = \"KRXFileC.002\"\n"
           "level = 50\npulses = 3\nperiod = 2\npolarity = \"negative\"\n"
           "[[step]]\npause = \"Turn it.\"\n"));
  std::ostringstream out, err;
  EXPECT_EQ(procedure::RunCheck(dir_ / "test.toml", out, err), 0) << err.str();
  const std::string plan = out.str();
  EXPECT_NE(plan.find("1. X+: KRXFileC.002, Half-Sine "), std::string::npos) << plan;
  EXPECT_NE(plan.find(" ms, negative, 50 % = 10.00 G, 3 pulses every 2.0 s, pre-test -"),
            std::string::npos)
      << plan;
  EXPECT_NE(plan.find(" of 1000000000.00 G, V "), std::string::npos) << plan;
  EXPECT_NE(plan.find("\n2. Step 2: pause - Turn it."), std::string::npos) << plan;
  EXPECT_EQ(std::count(plan.begin(), plan.end(), '\n'), 3);
  WriteFile(dir_ / "bad.toml", "[[step]]\nprofile = \"KRXFileC.009\"\n");
  std::ostringstream none, why;
  EXPECT_EQ(procedure::RunCheck(dir_ / "bad.toml", none, why), 2);
  EXPECT_TRUE(none.str().empty());
  EXPECT_NE(why.str().find("bad.toml:2: step 1 profile: no such profile"), std::string::npos);

  // The window shows the same plan before it starts; a No starts nothing.
  h.plat.Answers = {ui::Answer::No};
  EXPECT_FALSE(procedure::BeginFile(p, dir_ / "test.toml"));
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_NE(h.plat.Boxes[0].Text.find(procedure::PlanLines(proc_)[0]), std::string::npos);
  EXPECT_FALSE(procedure::Active(p));
  EXPECT_TRUE(h.plat.PdfPaths.empty());
}

// Every command that changes the set-up or fires, from every source, once between the pulses:
// the procedure fires exactly its plan, and the commands show disabled while it runs.
TEST_F(ProcedureRun, DuringAProcedureOnlyItFiresAndEveryAbortStaysLive) {
  ASSERT_TRUE(Load("[[step]]\nprofile = \"KRXFileC.001\"\npulses = 3\nperiod = 2\n"));
  RunToEnd();
  const auto plan = fired_;
  ASSERT_EQ(p.procedure.Steps[0].Fired, 3);

  fired_.clear();
  const std::string control = dir_ / "control.dat";
  p.run.ControlFilePath = control;
  ASSERT_TRUE(procedure::Begin(p, proc_));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  while (p.procedure.Steps[0].Fired < 1) h.Advance(10);
  EXPECT_FALSE(p.win.Menu(MenuId::mnuShock).Enabled);
  EXPECT_FALSE(p.win.Menu(MenuId::mnuRunStart).Enabled);
  EXPECT_FALSE(p.win.Button(ui::ButtonId::cmdStart).Enabled);
  EXPECT_FALSE(p.win.Spin(ui::SpinId::SpnLevel).Enabled);
  EXPECT_TRUE(p.win.Menu(MenuId::mnuRunAbort).Enabled);
  EXPECT_TRUE(p.win.Menu(MenuId::mnuView).Enabled);
  EXPECT_TRUE(p.win.Menu(MenuId::mnuFilePrint).Enabled);
  EXPECT_TRUE(p.win.Spin(ui::SpinId::spnXaxis).Enabled);
  const auto boxes = h.plat.Boxes.size();
  int refused = 0;
  for (const auto& d : ui::MenuTree()) {
    if ((d.Kind != ui::MenuKind::Item && d.Kind != ui::MenuKind::Array) || !app::MenuRefused(d.Id))
      continue;
    h.Click(d.Id);
    ++refused;
  }
  EXPECT_GT(refused, 80);
  for (auto b : {ui::ButtonId::cmdEqual, ui::ButtonId::cmdPreTest, ui::ButtonId::cmdStart})
    h.Press(b);
  h.Spin(ui::SpinId::SpnLevel, true);
  for (int k : {'S', 'e', 'P'}) h.Key(k);
  app::RunRemoteInputs(p, static_cast<int16_t>(~(1 | 4 | 8)));  // Abort line high
  WriteFile(control, "19,\"S\",150\r\n");                       // Start, level override
  app::PollControlFile(p);
  EXPECT_EQ(p.run.RemoteLevelOverride, 0);
  EXPECT_EQ(p.run.ManualLevel, 1.0f);
  EXPECT_TRUE(h.plat.Prompts.empty());
  EXPECT_TRUE(h.plat.Dialogs.empty());
  EXPECT_EQ(h.plat.Boxes.size(), boxes);
  for (double t = 0; t < 60000 && !procedure::Finished(p); t += 50) h.Advance(50);
  EXPECT_EQ(p.procedure.End, procedure::Ending::Completed);
  ASSERT_EQ(fired_.size(), plan.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(fired_[i].LevelG, plan[i].LevelG) << i;
    EXPECT_EQ(fired_[i].Factor, plan[i].Factor) << i;
  }
  EXPECT_TRUE(p.win.Menu(MenuId::mnuShock).Enabled);
  EXPECT_TRUE(p.win.Button(ui::ButtonId::cmdStart).Enabled);
  EXPECT_TRUE(p.win.Spin(ui::SpinId::SpnLevel).Enabled);

  // The remote Abort line still stops it, even held low with every other line.
  ASSERT_TRUE(procedure::Begin(p, proc_));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  while (p.procedure.Steps[0].Fired < 1) h.Advance(10);
  app::RunRemoteInputs(p, 0);
  h.Send(app::Event::Of(app::EventKind::Procedure));
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  EXPECT_EQ(p.procedure.Steps[0].Fired, 1);

  // Closing the window asks as File > Exit does; a No goes on, a Yes ends as an Abort.
  ASSERT_TRUE(procedure::Begin(p, proc_));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  while (p.procedure.Steps[0].Fired < 1) h.Advance(10);
  h.plat.Answers = {ui::Answer::No};
  h.Send(app::Event::Of(app::EventKind::Unload));
  EXPECT_EQ(h.plat.Boxes.back().Text, "Exit VAV Program?");
  EXPECT_FALSE(p.run.Ended);
  EXPECT_TRUE(procedure::Active(p));
  h.Send(app::Event::Of(app::EventKind::Unload));
  EXPECT_TRUE(p.run.Ended);
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  EXPECT_TRUE(p.procedure.ReportWritten);
}

TEST_F(ProcedureRun, ASummaryOfThirtyStepsContinuesOnMorePagesAndWrapsLongLines) {
  std::string toml = "title = \"" + std::string(150, 'T') + "\"\n";
  toml += "[[step]]\nname = \"" + std::string(140, 'N') + "\"\nprofile = \"KRXFileC.002\"\n";
  for (int i = 2; i <= 30; ++i)
    toml += "[[step]]\npause = \"Turn it to " + std::to_string(i) + "\"\n";
  ASSERT_TRUE(Load(toml)) << errors_.front();
  RunToEnd();
  ASSERT_EQ(p.procedure.End, procedure::Ending::Completed);
  const RecordingPrinter& pdf = Pdf();
  std::string texts;
  for (const auto& it : pdf.Items) {
    if (it.What != testing_support::Primitive::Text) continue;
    texts += it.Str + "\n";
    // The summary's own lines stay within the frame.
    if (it.Str.find("Turn it") == std::string::npos && it.Str.find("NNNN") == std::string::npos &&
        it.Str.find("TTTT") == std::string::npos)
      continue;
    EXPECT_LE(it.X1 + pdf.TextWidth(it.Str), 0.951 * pdf.PageWidth()) << it.Str;
  }
  for (int i = 2; i <= 30; ++i)
    EXPECT_NE(texts.find(std::to_string(i) + ". Step " + std::to_string(i) + ": pause - continued"),
              std::string::npos)
        << i;
  EXPECT_NE(texts.find("Summary, continued (page 2)"), std::string::npos);
  EXPECT_EQ(pdf.NewPages, 3);  // the summary's second page, the step's page and its table
}

TEST(ProcedureTexts, PauseAnswersAndTheReportsZone) {
  using procedure::PauseReply;
  for (const char* go : {"", "  ", "c", "C", "continue", " Continue \r"})
    EXPECT_EQ(procedure::PauseReplyOf(go), PauseReply::Continue) << go;
  for (const char* stop : {"a", "abort", "ABORT "})
    EXPECT_EQ(procedure::PauseReplyOf(stop), PauseReply::Abort) << stop;
  for (const char* again : {"abortt", "yes", "x", "c c"})
    EXPECT_EQ(procedure::PauseReplyOf(again), PauseReply::AskAgain) << again;

  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "XYZ-5:30", 1);
  tzset();
  EXPECT_EQ(procedure::LocalZoneText(0), "local time, UTC+05:30");
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
