#include "control/equalize.h"

#include <gtest/gtest.h>

#include "control/trips.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using namespace control;
using testing_support::Harness;
using testing_support::TestPlatform;
using ui::MenuId;
namespace row = profile::row;

namespace {

// What the plants saw, pass by pass.
struct PlantLog {
  std::vector<float> Gains;
  std::vector<std::string> Status;
  std::vector<int> Refreshes;
  float GainG = 0.01f;  // G of response per count of drive
} log_;

void Record(Program& p) {
  p.run.PulseCount++;
  profile::ComputeDrivePeak(p);
  log_.Gains.push_back(p.Row(row::DriveGain));
  log_.Status.push_back(p.win.Lbl(ui::LabelId::lblStatus).Caption);
  log_.Refreshes.push_back(static_cast<TestPlatform&>(p.boxes.Inner()).Refreshes);
}

void SetPeak(Program& p, float g) {
  p.control.ControlPeakG = g < 0.1f ? 0.1f : g;
}

// Response proportional to the drive counts.
void Proportional(Program& p) {
  Record(p);
  SetPeak(p, log_.GainG * static_cast<float>(p.run.DrivePeakCounts));
}
// Exactly the wanted level at a gain of 1.
void ExactAtUnity(Program& p) {
  Record(p);
  SetPeak(p, p.run.LevelFactor * p.plot.TestLevelG * p.Row(row::DriveGain));
}
void Open(Program& p) {
  Record(p);
  SetPeak(p, 0);
}
void Weak(Program& p) {
  Record(p);
  SetPeak(p, 0.6f);
}
void Overdriven(Program& p) {
  Record(p);
  SetPeak(p, 20);
}

struct EqualizeBench : Harness {
  explicit EqualizeBench(void (*plant)(Program&)) {
    log_ = PlantLog{};
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
    prog.plot.TestLevelG = 15;
    prog.control.PulseSource = plant;
    prog.win.Check(MenuId::mnuRunEqual, true);
    prog.win.Button(ui::ButtonId::cmdEqual).ForeColor = ui::kRed;
    prog.win.SetTimerEnabled(ui::TimerId::tmrTimer1, true);
  }
  std::string Status() const { return prog.win.Lbl(ui::LabelId::lblStatus).Caption; }
  bool Idle() const {
    return !prog.win.Checked(MenuId::mnuRunEqual) && !prog.win.Checked(MenuId::mnuRunPretest) &&
           !prog.win.Checked(MenuId::mnuRunStart) &&
           prog.win.Button(ui::ButtonId::cmdEqual).ForeColor == ui::kBlack &&
           !prog.win.Img(ui::ImageId::imgSine).Visible;
  }
};

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

const std::string kComplete = "EQUALIZATION COMPLETE ,SYSTEM GAIN = ";

}  // namespace

TEST(Equalize, ConvergesOnAProportionalPlant) {
  EqualizeBench b(Proportional);  // 3 G wanted at 300 counts: DriveGain 10
  b.prog.run.PulseCount = 7;
  b.prog.control.TripCode = trip::UnderTest;
  Equalize(b.prog);
  ASSERT_EQ(log_.Gains.size(), 20u);
  EXPECT_EQ(log_.Gains.front(), 1.0f);
  EXPECT_NEAR(b.prog.Row(row::DriveGain), 10.0f, 0.2f);
  EXPECT_EQ(b.prog.run.LevelFactor, 3.0f / 15.0f);
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
  EXPECT_EQ(b.prog.control.TripCode, trip::None);
  EXPECT_EQ(b.Status().rfind(kComplete, 0), 0u) << b.Status();
  EXPECT_TRUE(EndsWith(b.Status(), " G/V-Drive")) << b.Status();
  EXPECT_EQ(b.prog.run.PulseCount, 0);
  EXPECT_TRUE(b.Idle());
  EXPECT_FALSE(b.prog.win.GetTimer(ui::TimerId::tmrTimer1).Enabled);
  EXPECT_TRUE(b.plat.Boxes.empty());
}

TEST(Equalize, ShowsEachPassAndLetsTheWindowRepaint) {
  EqualizeBench b(ExactAtUnity);
  Equalize(b.prog);
  ASSERT_EQ(log_.Status.size(), 20u);
  EXPECT_EQ(log_.Status[0], "EQUALIZING SYSTEM- PASS #  1");
  EXPECT_EQ(log_.Status[8], "EQUALIZING SYSTEM- PASS #  9");
  EXPECT_EQ(log_.Status[19], "EQUALIZING SYSTEM- PASS #  20");
  for (int i = 0; i < 20; ++i) EXPECT_EQ(log_.Refreshes[i], i + 1);
  // r = 1 at every pass: the gain stays 1 and the system gain is 55 / 1.
  for (float g : log_.Gains) EXPECT_EQ(g, 1.0f);
  EXPECT_EQ(b.Status(), kComplete + "55. G/V-Drive");
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
}

TEST(Equalize, DriveGainNeverExceedsTheCap) {
  for (float gainG : {1e-4f, 1e-6f, 0.0f}) {
    EqualizeBench b(Proportional);
    log_.GainG = gainG;
    b.prog.Row(row::LowGainDb) = 1000;  // keep the open-loop trip out of the way
    Equalize(b.prog);
    for (float g : log_.Gains) EXPECT_LE(g, kMaxDriveGain);
    EXPECT_LE(b.prog.Row(row::DriveGain), kMaxDriveGain);
    EXPECT_LE(b.prog.run.DrivePeakCounts, 1600);  // 4 V
  }
  EqualizeBench b(Weak);
  Equalize(b.prog);
  EXPECT_EQ(b.prog.Row(row::DriveGain), kMaxDriveGain);
}

TEST(Equalize, AResponseThatNeverReachesTheLevelIsNotEqualized) {
  EqualizeBench b(Weak);  // 0.6 G whatever the drive, 3 G wanted
  Equalize(b.prog);
  EXPECT_EQ(b.prog.control.SystemEqualized, 0.0f);
  EXPECT_EQ(b.Status().rfind(" SYSTEM NOT EQUALIZED ,SYSTEM GAIN = ", 0), 0u) << b.Status();
  EXPECT_TRUE(b.Idle());
}

TEST(Equalize, AResponseTooLargeAtTheLastPassIsNotEqualized) {
  EqualizeBench b(Overdriven);
  Equalize(b.prog);
  EXPECT_EQ(b.prog.control.SystemEqualized, 0.0f);
  std::string s = b.Status();
  EXPECT_EQ(s.rfind(" SYSTEM NOT EQUALIZED ,SYSTEM GAIN = ", 0), 0u) << s;
  EXPECT_TRUE(EndsWith(s, " G/V-Drive - Try A Higher Equalization Level.")) << s;
  EXPECT_TRUE(b.plat.Boxes.empty());
  EXPECT_TRUE(b.Idle());
}

TEST(Equalize, AnOpenPlantTripsOpenLoop) {
  EqualizeBench b(Open);
  b.prog.control.SystemEqualized = 1;
  Equalize(b.prog);
  // 30 counts per unit of gain: 500 counts are passed once the gain is above 16.7.
  EXPECT_LT(log_.Gains.size(), 20u);
  EXPECT_GT(b.prog.run.DrivePeakCounts, 500);
  EXPECT_EQ(b.prog.control.TripCode, trip::OpenLoop);
  EXPECT_EQ(b.prog.control.TripMessage, " OPEN LOOP");
  ASSERT_EQ(b.plat.Boxes.size(), 1u);
  EXPECT_EQ(b.plat.Boxes[0].Text, " OPEN LOOP");
  EXPECT_EQ(b.plat.Boxes[0].Title, kTripTitle);
  EXPECT_EQ(b.prog.control.SystemEqualized, 0.0f);
  EXPECT_TRUE(b.Idle());
  // The status line no longer claims a pass in progress.
  EXPECT_EQ(b.Status(), kEqualizationStoppedText);
}

TEST(CorrectDriveGain, MovesAQuarterOfTheWayWithoutLimit) {
  EqualizeBench b(Proportional);
  auto& gain = b.prog.Row(row::DriveGain);
  b.prog.run.LevelFactor = 1;
  gain = 2;
  b.prog.control.ControlPeakG = 10;  // 15 G wanted: fully corrected gain 3
  CorrectDriveGain(b.prog);
  EXPECT_NEAR(gain, 2 * (1 + 0.33 * 1.5) / 1.33, 1e-5);
  gain = 140;
  b.prog.control.ControlPeakG = 0.1f;
  CorrectDriveGain(b.prog);
  EXPECT_GT(gain, kMaxDriveGain);
  // Nothing measured or an overflow keeps the gain finite.
  float before = gain;
  b.prog.control.ControlPeakG = 0;
  CorrectDriveGain(b.prog);
  EXPECT_EQ(gain, before);
  gain = 3e38f;
  b.prog.control.ControlPeakG = 0.1f;
  CorrectDriveGain(b.prog);
  EXPECT_EQ(gain, 3e38f);
}
