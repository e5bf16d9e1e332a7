#include "sequencer/sequencer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/startup.h"
#include "control/equalize.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using namespace app;
using control::RunStateOf;
using run::Run;
using namespace sequencer;
using testing_support::Harness;
using testing_support::TestPlatform;
using ui::ButtonId;
using ui::MenuId;
using ui::TimerId;
namespace row = profile::row;

namespace {

struct PulseLog {
  std::vector<double> At;  // virtual time of each pulse, ms
  std::vector<float> Level;
} pulses_;

// A plant that answers exactly the wanted level at a drive gain of 1.
void Plant(Program& p) {
  p.run.PulseCount++;
  profile::ComputeDrivePeak(p);
  p.control.ControlPeakG = p.run.LevelFactor * p.plot.TestLevelG * p.Row(row::DriveGain);
  pulses_.At.push_back(static_cast<TestPlatform&>(p.boxes.Inner()).NowMs);
  pulses_.Level.push_back(p.run.LevelFactor);
}

struct RunBench : Harness {
  RunBench() {
    pulses_ = PulseLog{};
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
    profile::RecomputeProfile(prog);
    prog.plot.TestLevelG = 15;
    prog.control.PulseSource = Plant;
    // Whatever the redraw measures, no trip can end these runs.
    prog.Row(row::AbortLevelDb) = 25;
    for (int r : {row::LimitA, row::LimitV, row::LimitD}) prog.Row(r) = 1e9f;
  }
  void Equalized() { prog.control.SystemEqualized = 1; }
  void Repetitive(float total, float period) {
    prog.Row(row::RepetitionMode) = 2;
    prog.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
    prog.Row(row::TotalPulses) = total;
    prog.Row(row::RepetitionRate) = period;
  }
  void Mode(float m) { prog.Row(row::ControlMode) = m; }
  Run State() const { return RunStateOf(prog); }
  std::string Status() const { return prog.win.Lbl(ui::LabelId::lblStatus).Caption; }
  int Pulses() const { return static_cast<int>(pulses_.At.size()); }
  const ui::Timer& Timer(TimerId id) const { return prog.win.GetTimer(id); }
};

}  // namespace

TEST(Sequencer, SingleModeGivesOnePulsePerPretestOrStart) {
  RunBench b;
  b.Equalized();
  b.prog.Row(row::TotalPulses) = 10;
  b.prog.files.ReportLoaded = true;
  b.prog.win.Check(MenuId::mnuViewResponse, true, 3);
  b.prog.win.Check(MenuId::mnuViewDrive, true);
  b.Press(ButtonId::cmdStart);
  EXPECT_EQ(b.State(), Run::FullLevel);
  EXPECT_EQ(b.Status(), " FULL TEST LEVEL SHOCK PULSE ");
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdStart).ForeColor, ui::kRed);
  EXPECT_TRUE(b.prog.win.Img(ui::ImageId::imgSine).Visible);
  b.Advance(199);
  EXPECT_EQ(b.Pulses(), 0);
  b.Advance(1);
  EXPECT_EQ(b.Pulses(), 1);
  EXPECT_EQ(pulses_.Level[0], 1.0f);
  EXPECT_FALSE(b.prog.files.ReportLoaded);
  // The view moves to the channel 1 response; other response marks stay.
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuViewResponse, 0));
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuViewResponse, 3));
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuViewTest));
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuViewDrive));
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_FALSE(b.Timer(TimerId::tmrTimer2).Enabled);
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdStart).ForeColor, ui::kBlack);
  EXPECT_FALSE(b.prog.win.Img(ui::ImageId::imgSine).Visible);
  b.Advance(10000);
  EXPECT_EQ(b.Pulses(), 1);

  b.Click(MenuId::mnuRunPretest);
  EXPECT_EQ(b.State(), Run::PreTest);
  EXPECT_EQ(b.Status(), " PRE-TEST LEVEL SHOCK PULSE ");
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdPreTest).ForeColor, ui::kRed);
  b.Advance(10000);
  EXPECT_EQ(b.Pulses(), 2);
  EXPECT_NEAR(pulses_.Level[1], 0.5016f, 1e-4);  // 6 dB below full level
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_TRUE(b.plat.Boxes.empty());
}

TEST(Sequencer, RepetitiveRunPacesByThePeriodAndEndsAtTheCount) {
  RunBench b;
  b.Equalized();
  b.Repetitive(5, 0.5f);
  b.prog.run.PulseCount = 3;  // restarts at 0 with the Start
  b.Press(ButtonId::cmdStart);
  b.Advance(5000);
  EXPECT_EQ(pulses_.At, (std::vector<double>{200, 700, 1200, 1700, 2200}));
  EXPECT_EQ(b.prog.run.PulseCount, 5);
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_FALSE(b.Timer(TimerId::tmrTimer2).Enabled);

  // 2.5 pulses end after the third; the period is re-read at every tick.
  pulses_ = PulseLog{};
  b.Repetitive(2.5f, 0.1f);
  b.Click(MenuId::mnuRunStart);
  b.Advance(250);
  b.prog.Row(row::RepetitionRate) = 1;
  b.Advance(5000);
  double t0 = 5000;
  EXPECT_EQ(pulses_.At, (std::vector<double>{t0 + 200, t0 + 300, t0 + 1300}));
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(Sequencer, PretestRunCountsLikeAFullLevelRun) {
  RunBench b;
  b.Equalized();
  b.Repetitive(3, 0.2f);
  b.Press(ButtonId::cmdPreTest);
  b.Advance(2000);
  EXPECT_EQ(b.Pulses(), 3);
  for (float lf : pulses_.Level) EXPECT_NEAR(lf, 0.5016f, 1e-4);
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(Sequencer, StartInAutoModeBeforeEqualisationEqualisesInstead) {
  RunBench b;
  b.Repetitive(5, 0.5f);
  b.Press(ButtonId::cmdStart);
  b.Advance(200);
  EXPECT_EQ(b.Pulses(), 0);
  EXPECT_EQ(b.State(), Run::Equalize);
  EXPECT_EQ(b.Status(), "EQUALIZING SYSTEM- PLEASE WAIT ");
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdEqual).ForeColor, ui::kRed);
  EXPECT_EQ(b.Timer(TimerId::tmrTimer1).Interval, 2000);
  EXPECT_TRUE(b.Timer(TimerId::tmrTimer1).Enabled);
  b.Advance(1999);
  EXPECT_EQ(b.Pulses(), 0);
  b.Advance(1);
  EXPECT_EQ(b.Pulses(), 20);  // the passes, all in one tick
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
  // The pacing timer still ticks, but an idle run fires nothing.
  b.Advance(5000);
  EXPECT_EQ(b.Pulses(), 20);
  EXPECT_FALSE(b.Timer(TimerId::tmrTimer1).Enabled);
}

TEST(Sequencer, PretestBeforeEqualisationEqualisesWhateverTheMode) {
  for (float mode : {0.0f, 1.0f, 2.0f}) {
    RunBench b;
    b.Mode(mode);
    b.prog.Row(row::SettlingMode) = 2;
    b.Press(ButtonId::cmdPreTest);
    b.Advance(200);
    EXPECT_EQ(b.Pulses(), 0);
    EXPECT_EQ(b.State(), Run::Equalize);
    EXPECT_EQ(b.Status(), "EQUALIZING SYSTEM- ACCELEROMETER SETTLING DELAY");
    EXPECT_EQ(b.Timer(TimerId::tmrTimer1).Interval, 5000);
  }
}

TEST(Sequencer, ManualAndTransientPulseAtOnce) {
  for (float mode : {1.0f, 2.0f}) {
    RunBench b;
    b.Mode(mode);
    b.Press(ButtonId::cmdStart);
    b.Advance(200);
    EXPECT_EQ(b.Pulses(), 1) << mode;
    EXPECT_EQ(b.State(), Run::Idle);
  }
}

TEST(Sequencer, TransientRunArmsThenTriggersOnce) {
  RunBench b;
  b.Mode(2);
  b.Repetitive(5, 0.5f);
  b.Press(ButtonId::cmdStart);
  EXPECT_EQ(b.Status(), " TRIGGER ARMED ");
  EXPECT_EQ(b.Timer(TimerId::tmrTimer3).Interval, 10);
  b.Advance(5000);
  EXPECT_EQ(b.Pulses(), 1);
  EXPECT_EQ(b.Status(), " TRIGGERED ");
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.Timer(TimerId::tmrTimer3).Interval, 10);  // until a Start in another mode
  b.Mode(1);
  b.Press(ButtonId::cmdStart);
  EXPECT_EQ(b.Timer(TimerId::tmrTimer3).Interval, 250);
  EXPECT_EQ(b.Status(), " FULL TEST LEVEL SHOCK PULSE ");
}

TEST(Sequencer, AbortStopsARepetitiveRunWithoutTheEndOfRunActions) {
  RunBench b;
  b.Equalized();
  b.Repetitive(5, 0.5f);
  b.prog.win.Check(MenuId::mnuTestAutoPrint, true);
  b.Press(ButtonId::cmdStart);
  b.Advance(800);
  ASSERT_EQ(b.Pulses(), 2);
  b.Click(MenuId::mnuRunAbort);
  EXPECT_EQ(b.State(), Run::Idle);
  b.Advance(10000);
  EXPECT_EQ(b.Pulses(), 2);
  EXPECT_TRUE(b.Timer(TimerId::tmrTimer2).Enabled);  // keeps ticking, to no effect
  EXPECT_EQ(b.plat.Paper.Docs, 0);
}

// Abort cancels an armed equalisation: no pass fires, and the status line no longer
// says it is coming.
TEST(Sequencer, AbortDuringTheSettlingDelayCancelsTheEqualisation) {
  RunBench b;
  b.Click(MenuId::mnuRunEqual);
  b.Advance(500);
  b.Click(MenuId::mnuRunAbort);
  EXPECT_EQ(b.State(), Run::Idle);
  b.Advance(10000);
  EXPECT_EQ(b.Pulses(), 0);
  EXPECT_EQ(b.prog.control.SystemEqualized, 0.0f);
  EXPECT_EQ(b.Status(), control::kEqualizationStoppedText);
  // A tick of the delay that the Abort overtook fires nothing either.
  b.Click(MenuId::mnuRunEqual);
  b.Click(MenuId::mnuRunAbort);
  b.Send(app::Event::Tick(TimerId::tmrTimer1));
  EXPECT_EQ(b.Pulses(), 0);
}

TEST(Sequencer, CommandsOverwriteTheArmedRun) {
  RunBench b;
  b.Equalized();
  b.Click(MenuId::mnuRunEqual);
  b.Press(ButtonId::cmdPreTest);
  b.Press(ButtonId::cmdStart);
  EXPECT_EQ(b.State(), Run::FullLevel);
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuRunEqual));
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuRunPretest));
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdEqual).ForeColor, ui::kBlack);
  EXPECT_EQ(b.prog.win.Button(ButtonId::cmdPreTest).ForeColor, ui::kBlack);
  b.Advance(200);
  EXPECT_EQ(b.Pulses(), 1);
  // The equalisation armed first still runs at the end of its delay.
  b.Advance(1800);
  EXPECT_EQ(b.Pulses(), 21);
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(Sequencer, ATripStopsTheRunButTheGainIsStillCorrected) {
  RunBench b;
  b.Equalized();
  b.Repetitive(5, 0.5f);
  // An open amplifier: full drive, a tenth of the wanted response.
  b.prog.control.PulseSource = [](Program& p) {
    p.run.PulseCount++;
    p.run.DrivePeakCounts = 4000;
    p.control.ControlPeakG = 1.5f;
  };
  b.Press(ButtonId::cmdStart);
  b.Advance(200);
  ASSERT_EQ(b.plat.Boxes.size(), 1u);
  EXPECT_EQ(b.plat.Boxes[0].Text, " OPEN LOOP");
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_NEAR(b.prog.Row(row::DriveGain), (1 + 0.33 * 10) / 1.33, 1e-5);
  b.Advance(5000);
  EXPECT_EQ(b.plat.Boxes.size(), 1u);
  // Above 20 dB of abort level a trip leaves the equalisation: the next Start pulses.
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
  b.Press(ButtonId::cmdStart);
  b.Advance(200);
  EXPECT_EQ(b.plat.Boxes.size(), 2u);
}

TEST(SpnLevel, StepsTheManualLevelAndReplacesAZeroStep) {
  RunBench b;
  b.prog.Row(row::ManualStep) = 0;
  b.Spin(ui::SpinId::SpnLevel, true);
  EXPECT_EQ(b.prog.Row(row::ManualStep), 0.1f);
  EXPECT_FLOAT_EQ(b.prog.run.ManualLevel, 1.1f);
  b.prog.Row(row::ManualStep) = 1;
  b.Spin(ui::SpinId::SpnLevel, false);
  EXPECT_FLOAT_EQ(b.prog.run.ManualLevel, 0.55f);
  // A step that cannot scale from a damaged file never zeroes or blows up the level.
  b.prog.Row(row::ManualStep) = -1;
  b.Spin(ui::SpinId::SpnLevel, false);
  EXPECT_EQ(b.prog.Row(row::ManualStep), 0.1f);
  EXPECT_FLOAT_EQ(b.prog.run.ManualLevel, 0.5f);
}

TEST(Sequencer, APeriodOutsideTheBoundsStillPacesSafely) {
  RunBench b;
  b.Equalized();
  b.Repetitive(3, 0);
  b.Press(ButtonId::cmdStart);
  b.Advance(1000);
  EXPECT_EQ(pulses_.At, (std::vector<double>{200, 300, 400}));
}

TEST(Sequencer, HousekeepingTickHidesAnOldCursorReadout) {
  RunBench b;
  auto& cursor = b.prog.win.Lbl(ui::LabelId::lblCursor);
  cursor.Visible = true;
  b.prog.plot.CursorShownAt = b.plat.SecondsSinceMidnight();
  b.Advance(2900);
  EXPECT_TRUE(cursor.Visible);
  b.Advance(350);
  EXPECT_FALSE(cursor.Visible);
}

TEST(Sequencer, ACompleteDemoTest) {
  Harness h;
  h.Start();
  h.prog.daq.DemoMode = 1;
  h.prog.Row(row::RepetitionMode) = 2;
  h.prog.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
  h.prog.Row(row::TotalPulses) = 5;
  h.prog.Row(row::RepetitionRate) = 0.5f;
  h.plat.Boxes.clear();
  const auto& status = h.prog.win.Lbl(ui::LabelId::lblStatus).Caption;
  h.Press(ButtonId::cmdEqual);
  h.Advance(2000);
  EXPECT_EQ(h.prog.control.SystemEqualized, 1.0f) << status;
  EXPECT_EQ(status.rfind("EQUALIZATION COMPLETE ,SYSTEM GAIN = ", 0), 0u) << status;
  h.Press(ButtonId::cmdPreTest);
  h.Advance(200);
  float pretest = std::exp(-0.115f * h.prog.Row(row::PretestLevelDb));
  EXPECT_NEAR(h.prog.control.ControlPeakG, h.prog.plot.TestLevelG * pretest, 0.5);
  h.Press(ButtonId::cmdStart);
  h.Advance(5000);
  EXPECT_EQ(h.prog.run.PulseCount, 5);
  EXPECT_EQ(RunStateOf(h.prog), Run::Idle);
  for (const auto& box : h.plat.Boxes) ADD_FAILURE() << box.Title << ": " << box.Text;
  EXPECT_NEAR(h.prog.plot.ResponsePeakA, h.prog.plot.TestLevelG, 1);
  EXPECT_EQ(h.prog.control.TripCode, 0);
}

TEST(Sequencer, APulseTheCaptureCouldNotMakeIsNeitherCheckedNorCorrected) {
  RunBench b;
  b.Equalized();
  b.prog.control.PulseSource = [](Program& p) {
    p.run.PulseCount++;
    p.control.ControlPeakG = 0;
    control::StopTest(p, run::BoardErrorOf("no response"));
  };
  b.Press(ButtonId::cmdStart);
  b.Advance(200);
  b.prog.Row(row::AbortLevelDb) = 6;
  b.Press(ButtonId::cmdStart);
  b.Advance(200);
  EXPECT_TRUE(b.plat.Boxes.empty());
  EXPECT_EQ(b.prog.Row(row::DriveGain), 1.0f);
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
  b.Press(ButtonId::cmdPreTest);
  b.Advance(200);
  EXPECT_EQ(b.State(), Run::Idle);
}
