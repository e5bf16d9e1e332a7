// The procedure without a window, on the simulated board.
#include "commands/headless.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "app/lockout.h"
#include "procedure/plan.h"
#include "procedure/report.h"
#include "procedure/runner.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "support/daqsim_fixture.h"
#include "ui/headless_platform.h"

#ifdef KRX8_DAQSIM_PATH

using testing_support::RecordingPrinter;
using testing_support::WriteFile;
namespace row = profile::row;

namespace {

// What the report's document received, kept after the run has let go of its printer.
struct Document {
  int NewPages = 0, Docs = 0;
  std::string Texts;
};

class DocumentPrinter : public RecordingPrinter {
 public:
  explicit DocumentPrinter(Document& d) : d_(d) {}
  void NewPage() override { ++d_.NewPages; }
  void Text(double, double, const std::string& t, int) override { d_.Texts += t + "\n"; }
  bool EndDoc() override {
    ++d_.Docs;
    return true;
  }

 private:
  Document& d_;
};

class HeadlessProcedure : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    ui::HeadlessPlatform pf;
    auto prof = std::make_unique<Program>(pf);
    profile::SetProfileDefaults(*prof);
    prof->Row(row::InterfaceType) = 1;
    WriteFile(dir_ / "KRXFileC.000", profile::ProfileText(prof->profile.Record));
    setenv("KRX8_DAQX_LIBRARY", KRX8_DAQSIM_PATH, 1);
  }
  void TearDown() override {
    unsetenv("KRX8_DAQX_LIBRARY");
    if (input_[0] >= 0) close(input_[0]);
    SimTest::TearDown();
  }
  int Run(const std::string& toml, bool closedInput = false) {
    WriteFile(dir_ / "run.toml", toml);
    procedure::HeadlessSetup setup;
    setup.File = dir_ / "run.toml";
    setup.Pdf = [this](const std::string& path) -> std::unique_ptr<ui::Printer> {
      pdfPath_ = path;
      return std::make_unique<DocumentPrinter>(doc_);
    };
    setup.Stop = &stop_;
    if (closedInput) {
      if (pipe(input_) != 0) return -1;
      close(input_[1]);
      setup.InputFd = input_[0];
    }
    std::ostringstream err;
    const int status = procedure::RunHeadless(setup, err);
    err_ = err.str();
    return status;
  }
  int Lines(const std::string& what) const {
    int n = 0;
    for (size_t at = err_.find(what); at != std::string::npos; at = err_.find(what, at + 1)) ++n;
    return n;
  }

  static constexpr const char* kTwoSteps =
      "[[step]]\nname = \"X+\"\nprofile = \"KRXFileC.000\"\npulses = 2\nperiod = 0.1\n"
      "[[step]]\nname = \"X-\"\nprofile = \"KRXFileC.000\"\npolarity = \"negative\"\n"
      "pulses = 2\nperiod = 0.1\nequalize = \"always\"\n";
  Document doc_;
  std::string pdfPath_, err_;
  volatile std::sig_atomic_t stop_ = 0;
  int input_[2] = {-1, -1};
};

TEST_F(HeadlessProcedure, TwoStepsOnTheBoardCompleteWithAReportPagePerStep) {
  Sim();
  EXPECT_EQ(Run(kTwoSteps), 0) << err_;
  EXPECT_EQ(Lines(", full level, "), 4) << err_;
  EXPECT_EQ(Lines(", pre-test, "), 2) << err_;
  EXPECT_NE(err_.find("procedure COMPLETED"), std::string::npos) << err_;
  EXPECT_EQ(pdfPath_, dir_ / "run.pdf");
  // The summary, then the pulse's page and the pulse table of each step.
  EXPECT_EQ(doc_.NewPages, 4);
  EXPECT_EQ(doc_.Docs, 1);
  EXPECT_NE(doc_.Texts.find("PASS"), std::string::npos);
  EXPECT_NE(doc_.Texts.find("NEGATIVE POLARITY"), std::string::npos);
  ExpectDriveWithinLimits(4);
}

// On the resonant fixture a trapezoid passes shaped from its first full-level pulse after
// learning at the pre-test level; the same profile with the step's key off fails the band.
TEST_F(HeadlessProcedure, AShapedStepLearnsFromItsPretestPulsesAndPasses) {
  ui::HeadlessPlatform pf;
  Program trap(pf);
  profile::SetProfileDefaults(trap);
  trap.Row(row::InterfaceType) = 1;
  trap.Row(row::PulseShape) = 5;
  trap.Row(row::PulseAmplitude) = 10;
  trap.Row(row::PulseDuration) = 8;
  trap.Row(row::AcceptOn) = 1;
  trap.Row(row::ShapingOn) = 1;
  WriteFile(dir_ / "KRXTrap.000", profile::ProfileText(trap.profile.Record));
  Sim({{"DAQSIM_PLANT", "fixture"}, {"DAQSIM_NOISE", "0.05"}});
  const int status =
      Run("[[step]]\nname = \"shaped\"\nprofile = \"KRXTrap.000\"\npulses = 2\nperiod = 0.1\n"
          "pretest_pulses = 2\n"
          "[[step]]\nname = \"unshaped\"\nprofile = \"KRXTrap.000\"\npulses = 1\nperiod = 0.1\n"
          "pretest = false\nwaveform_control = false\nstop_on_fail = false\n");
  EXPECT_EQ(status, 1) << err_;  // the unshaped step's FAIL
  EXPECT_EQ(Lines("(shaped), pre-test, "), 2) << err_;
  EXPECT_EQ(Lines("(shaped), full level, level 10.00 G, control peak "), 2) << err_;
  EXPECT_EQ(Lines(", PASS, waveform error "), 2) << err_;
  EXPECT_EQ(Lines("(unshaped), full level, "), 1) << err_;
  EXPECT_EQ(Lines(", FAIL"), 1) << err_;
  EXPECT_EQ(Lines("waveform error"), 4) << err_;  // two learning and two shaped pulses
  EXPECT_NE(doc_.Texts.find("PASS 2, FAIL 0"), std::string::npos) << doc_.Texts;
  EXPECT_NE(doc_.Texts.find(", drive shaped, waveform error "), std::string::npos) << doc_.Texts;
  EXPECT_NE(doc_.Texts.find("Waveform error %"), std::string::npos);
  ExpectDriveWithinLimits(trap.Row(row::MaxDriveVolts));
}

TEST_F(HeadlessProcedure, ABoardErrorAtTheFourthPulseStopsWithExitOneAndNamesStepAndError) {
  // Fire calls: start-up, step 1's set-up, 20 passes, the pre-test pulse, two pulses, step 2's
  // set-up, 20 passes, the pre-test pulse: the next is the fourth full-level pulse.
  Sim({{"DAQSIM_FAIL", "daqDacWaveSoftTrig:5@49"}});
  EXPECT_EQ(Run(kTwoSteps), 1) << err_;
  EXPECT_EQ(Lines(", full level, "), 3) << err_;
  EXPECT_NE(err_.find("procedure BOARD ERROR - DaqX Error: 5"), std::string::npos) << err_;
  EXPECT_NE(err_.find("at step 2 (X-)"), std::string::npos) << err_;
  EXPECT_NE(doc_.Texts.find("BOARD ERROR - DaqX Error: 5"), std::string::npos) << doc_.Texts;
  EXPECT_NE(doc_.Texts.find("(step 2: X-)"), std::string::npos) << doc_.Texts;
  EXPECT_EQ(Q("DriveLevel"), 0) << "the drive is released";
}

TEST_F(HeadlessProcedure, RefusedPausedAndSignalledRunsEndWithTheirOwnStatus) {
  Sim({{"DAQSIM_LOG", (dir_ / "sim.log").c_str()}});
  EXPECT_EQ(Run("[[step]]\nprofile = \"KRXFileC.000\"\nspeed = 2\n"), 2);
  EXPECT_NE(err_.find("run.toml:3: step 1 speed: unknown key"), std::string::npos) << err_;
  EXPECT_TRUE(testing_support::ReadFile(dir_ / "sim.log").empty()) << "nothing was driven";
  EXPECT_TRUE(pdfPath_.empty());

  const std::string paused =
      "[[step]]\nprofile = \"KRXFileC.000\"\npulses = 1\n[[step]]\npause = \"Turn it.\"\n"
      "[[step]]\nprofile = \"KRXFileC.000\"\n";
  EXPECT_EQ(Run(paused, true), 3) << err_;
  EXPECT_NE(err_.find("PAUSE: Turn it."), std::string::npos) << err_;
  EXPECT_EQ(Lines(", full level, "), 1) << err_;

  stop_ = 1;  // SIGINT before the first step
  EXPECT_EQ(Run(paused), 1) << err_;
  EXPECT_NE(err_.find("procedure ABORTED"), std::string::npos) << err_;
  EXPECT_EQ(Lines(", full level, "), 0) << err_;
}

// In virtual time on a board whose acquisitions take 800 ms: an Abort from the remote-control
// file in the middle of the second full-level pulse stops the procedure within 100 ms.
TEST_F(HeadlessProcedure, AnAbortInTheMiddleOfAPulseStopsTheProcedureWithin100Ms) {
  Sim({{"DAQSIM_BUSY_POLLS", "80"}});
  ui::HeadlessPlatform pf;
  auto prof = std::make_unique<Program>(pf);
  profile::SetProfileDefaults(*prof);
  prof->Row(row::InterfaceType) = 1;
  prof->Row(row::SoftwareRemote) = 1;
  WriteFile(dir_ / "KRXFileC.001", profile::ProfileText(prof->profile.Record));
  WriteFile(dir_ / "run.toml", "[[step]]\nprofile = \"KRXFileC.001\"\npulses = 5\nperiod = 1\n");
  StartWith(1);
  ASSERT_TRUE(procedure::BeginFile(p, dir_ / "run.toml"));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  while (p.procedure.Steps[0].Fired < 1 && h.plat.NowMs < 60000) h.Advance(10);
  ASSERT_EQ(p.procedure.Steps[0].Fired, 1);
  // The next pulse starts a period after the last one did, and takes 800 ms.
  const double abortAt = h.plat.NowMs + 600;
  h.AtDo(abortAt, [] { std::ofstream("KRXControl.dat") << "2,\"\",0\r\n"; });
  h.Advance(abortAt + 100 - h.plat.NowMs);
  EXPECT_LE(h.plat.NowMs, abortAt + 100);
  EXPECT_TRUE(procedure::Finished(p));
  EXPECT_EQ(p.procedure.End, procedure::Ending::Aborted);
  EXPECT_EQ(p.procedure.Steps[0].Fired, 1);
  EXPECT_EQ(Q("DriveLevel"), 0);
  EXPECT_FALSE(Q("DacPlaying"));
  EXPECT_EQ(procedure::OverallVerdict(p), "ABORTED");
  EXPECT_TRUE(p.procedure.ReportWritten);
}

// On the simulated board: the check opens nothing, and the commands refused during a
// procedure reach no board.
TEST_F(HeadlessProcedure, TheCheckAndTheRefusedCommandsLeaveNothingInTheDriverLog) {
  const std::string log = dir_ / "sim.log";
  Sim({{"DAQSIM_LOG", log.c_str()}});
  WriteFile(dir_ / "run.toml", "[[step]]\nprofile = \"KRXFileC.000\"\npulses = 3\nperiod = 2\n");
  std::ostringstream out, err;
  EXPECT_EQ(procedure::RunCheck(dir_ / "run.toml", out, err), 0) << err.str();
  EXPECT_TRUE(testing_support::ReadFile(log).empty());

  StartWith(1);
  ASSERT_TRUE(procedure::BeginFile(p, dir_ / "run.toml"));
  h.Send(app::Event::Of(app::EventKind::Procedure));
  while (p.procedure.Steps[0].Fired < 1 && h.plat.NowMs < 60000) h.Advance(10);
  ASSERT_EQ(p.procedure.Steps[0].Fired, 1);
  const std::string before = testing_support::ReadFile(log);
  ASSERT_NE(before.find("daqDacWaveSoftTrig"), std::string::npos) << "the board fired";
  for (const auto& d : ui::MenuTree())
    if ((d.Kind == ui::MenuKind::Item || d.Kind == ui::MenuKind::Array) && app::MenuRefused(d.Id))
      h.Click(d.Id);
  for (auto b : {ui::ButtonId::cmdEqual, ui::ButtonId::cmdPreTest, ui::ButtonId::cmdStart})
    h.Press(b);
  h.Spin(ui::SpinId::SpnLevel, false);
  for (int k : {'s', 'E', 'p'}) h.Key(k);
  EXPECT_EQ(testing_support::ReadFile(log), before);
  while (!procedure::Finished(p) && h.plat.NowMs < 120000) h.Advance(10);
  EXPECT_EQ(p.procedure.End, procedure::Ending::Completed);
  EXPECT_EQ(p.procedure.Steps[0].Fired, 3);
  ExpectDriveWithinLimits();
}

}  // namespace

#endif
