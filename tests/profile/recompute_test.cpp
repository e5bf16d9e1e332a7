#include "profile/recompute.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;
namespace row = profile::row;

namespace {

struct Recompute : ::testing::Test {
  Harness h;
  Program& p = h.prog;
  void SetUp() override { profile::SetProfileDefaults(p); }
};

TEST_F(Recompute, DefaultsOfTheRecord) {
  EXPECT_EQ(p.Row(row::PulseShape), 1);
  EXPECT_EQ(p.Row(row::PulseAmplitude), 15);
  EXPECT_EQ(p.Row(row::PulseDuration), 10);
  EXPECT_EQ(p.Row(row::SampleRateCode), 3);
  EXPECT_EQ(p.wave.SampleFactor, 4);
  EXPECT_FLOAT_EQ(p.Row(row::PreCompPercent), 16.7f);
  EXPECT_EQ(p.Row(row::InterfaceType), 1);
  EXPECT_EQ(p.Row(row::SlaveAddress), 1);
  EXPECT_EQ(p.Row(row::ActiveChannelsCode), 1);
  EXPECT_EQ(p.Row(profile::kSensitivityRow[15]), 10);
  EXPECT_EQ(p.Row(profile::kCurrentSourceRow[7]), 1);
  EXPECT_EQ(p.Row(profile::kCurrentSourceRow[8]), 0);  // channels 9-16 not set
  EXPECT_EQ(p.Row(66), 10);
  EXPECT_EQ(p.Row(67), 1);
  EXPECT_EQ(p.Row(row::BannerIndex), 5);
  EXPECT_EQ(p.Row(row::ControlMode), 0);
  EXPECT_EQ(p.files.CalFactors[33], 1.0f);
  EXPECT_EQ(p.files.CalFactors[48], 1.0f);
  EXPECT_EQ(p.files.CalFactors[49], 0.0f);
  EXPECT_EQ(p.profile.ProfileFileName, " DEFAULT PROFILE");
  EXPECT_FLOAT_EQ(p.plot.YZoom, 0.25f);
}

TEST_F(Recompute, SyncChecksExactlyTheMatchingItemOfEachGroup) {
  const std::pair<float, MenuId> shapes[] = {
      {1, MenuId::mnuShockShapeHalfsine}, {2, MenuId::mnuShockShapeTPSaw},
      {3, MenuId::mnuShockShapeIPSaw},    {4, MenuId::mnuShockShapeTriangle},
      {5, MenuId::mnuShockShapeTrap},     {6, MenuId::mnuShockShapeQuarter},
      {7, MenuId::mnuShockShapeCusp},     {8, MenuId::mnuShockShapeSineBurst}};
  for (auto [value, item] : shapes) {
    p.Row(row::PulseShape) = value;
    profile::SyncProfileMenus(p);
    for (auto [v2, other] : shapes) EXPECT_EQ(p.win.Checked(other), other == item) << value;
  }
  // A custom shape (9) leaves the shape marks as they were.
  p.win.Check(MenuId::mnuShockShapeCustom, true);
  p.Row(row::PulseShape) = 9;
  profile::SyncProfileMenus(p);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockShapeSineBurst));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockShapeCustom));
  // A built-in shape loaded over a custom one leaves Custom unmarked: one group.
  p.Row(row::PulseShape) = 3;
  profile::SyncProfileMenus(p);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuShockShapeCustom));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockShapeIPSaw));
  p.win.Check(MenuId::mnuShockShapeCustom, true);
  p.Row(row::PulseShape) = 3.5f;  // matches no item: the group keeps its marks
  profile::SyncProfileMenus(p);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockShapeCustom));

  p.win.Check(MenuId::mnuShockPolarityPos, true);
  p.Row(row::Polarity) = 2;
  profile::SyncProfileMenus(p);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuShockPolarityPos));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockPolarityNeg));

  for (int code = 0; code < 5; ++code) {
    p.Row(row::LoadCompensation) = static_cast<float>(code);
    profile::SyncProfileMenus(p);
    const MenuId comp[] = {MenuId::mnuTestComp1, MenuId::mnuTestComp2, MenuId::mnuTestComp3,
                           MenuId::mnuTestComp4, MenuId::mnuTestComp5};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.win.Checked(comp[i]), i == code);
  }
  for (int c = 1; c <= 4; ++c) {
    p.Row(row::SampleRateCode) = static_cast<float>(c);
    profile::SyncProfileMenus(p);
    EXPECT_EQ(p.win.Checked(MenuId::mnuShockSample1024), c == 4);
    EXPECT_EQ(p.win.Checked(MenuId::mnuShockSample128), c == 1);
  }
  p.Row(row::UnitSystem) = 2;
  p.Row(row::InterfaceType) = 2;
  p.Row(row::ControlMode) = 2;
  p.Row(row::PlotBackground) = 1;
  profile::SyncProfileMenus(p);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsHybrid));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemUnitsEnglish));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemInterfaceUSB));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemInterfacePCI));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuTestControlTransient));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuTestControlAuto));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewPlotColorWhite));
}

TEST_F(Recompute, ValuesOutsideAGroupLeaveItAndFlagsFollowTheirRows) {
  p.win.Check(MenuId::mnuShockRepRep, true);
  p.Row(row::RepetitionMode) = 7;  // matches no item
  p.Row(row::UnitSystem) = 1.5f;
  p.win.Check(MenuId::mnuSystemUnitsMetric, true);
  profile::SyncProfileMenus(p);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockRepRep));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsMetric));

  p.Row(profile::kCurrentSourceRow[0]) = 2;
  p.Row(profile::kCurrentSourceRow[9]) = 0;  // never set: off
  p.Row(row::ShowVelocity) = 1;
  p.Row(row::AutoExport) = 1;
  p.Row(row::DecimalMode) = 1;
  p.daq.DemoMode = 1;
  p.win.Check(MenuId::mnuRunStart, true);
  p.win.Button(ui::ButtonId::cmdStart).ForeColor = ui::kRed;
  profile::SyncProfileMenus(p);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuInputsCurrent, 0));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuInputsCurrent, 9));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewVel));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuTestAutoExport));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemSepsReversed));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemSepsEnglish));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuTestDemo));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));
  EXPECT_EQ(p.win.Button(ui::ButtonId::cmdStart).ForeColor, ui::kBlack);
}

TEST_F(Recompute, DrivePeakRulesByControlMode) {
  p.plot.TestLevelG = 15;
  p.run.LevelFactor = 1;
  p.Row(row::DriveGain) = 1;
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 150);
  p.Row(row::DriveGain) = 20;  // 3000 counts, lowered to 4 V x 400
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 1600);
  p.Row(row::MaxDriveVolts) = 10;
  p.Row(row::DriveGain) = 150;  // product above 2000: full scale
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 4000);
  p.Row(row::DriveGain) = std::nanf("");  // a damaged gain: no drive, not full drive
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 0);
  p.Row(row::ControlMode) = 1;
  p.run.ManualLevel = 1;
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 100);
  p.run.ManualLevel = 0.125f;  // 12.5 counts: halves go to the even neighbour
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 12);
  p.run.ManualLevel = 0.375f;
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 38);
  p.Row(row::ControlMode) = 2;  // transient: keeps its value, still capped
  p.Row(row::MaxDriveVolts) = 0.05f;
  profile::ComputeDrivePeak(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 20);
}

TEST_F(Recompute, DrivePeakNeverExceedsItsLimitsWhateverTheInput) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(0, 1);
  const float wild[] = {0, -1, 1e-9f, 1e9f, -1e9f, 1e38f, std::nanf(""), INFINITY, -INFINITY};
  for (int i = 0; i < 20000; ++i) {
    auto pick = [&](float lo, float hi) {
      return u(rng) < 0.15f ? wild[rng() % 9] : lo + (hi - lo) * u(rng);
    };
    p.Row(row::ControlMode) = static_cast<float>(rng() % 4);
    p.Row(row::InterfaceType) = static_cast<float>(rng() % 3);
    p.run.LevelFactor = pick(0, 2);
    p.plot.TestLevelG = pick(0, 300);
    p.Row(row::DriveGain) = pick(0, 200);
    p.run.ManualLevel = pick(0, 100);
    p.Row(row::MaxDriveVolts) = pick(0, 12);
    p.run.DrivePeakCounts = static_cast<int32_t>(rng() % 9000) - 1000;
    profile::ComputeDrivePeak(p);
    int32_t c = p.run.DrivePeakCounts;
    ASSERT_LE(c, 4000);
    ASSERT_GE(c, 0);
    float maxV = p.Row(row::MaxDriveVolts);
    if (std::isfinite(maxV) && maxV * 400 < 4000) {
      ASSERT_LE(c, std::max(0.0, std::nearbyint(maxV * 400.0)));
    }
  }
}

TEST_F(Recompute, ChainClearsEqualisationAndShowsTheTestProfile) {
  p.control.SystemEqualized = 1;
  p.win.Check(MenuId::mnuViewTest, false);
  for (int i : {0, 1, 12}) p.win.Check(MenuId::mnuViewResponse, true, i);
  p.win.Check(MenuId::mnuViewSRS, true);
  int before = p.plot.RefreshCount;
  profile::RecomputeProfile(p);
  EXPECT_EQ(p.control.SystemEqualized, 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewTest));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewResponse, 0));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewResponse, 1));
  // Further responses the operator chose stay checked and drawn with the profile.
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewResponse, 12));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewSRS));
  EXPECT_EQ(p.plot.RefreshCount, before + 1);
}

TEST_F(Recompute, CurrentSourcesRaiseUnsetRowsOnlyOnThePciHardware) {
  p.daq.DemoMode = 1;
  profile::ApplyCurrentSources(p);
  EXPECT_EQ(p.Row(profile::kCurrentSourceRow[8]), 0);  // demo: nothing sent, nothing raised
  p.daq.DemoMode = 0;
  p.Row(profile::kCurrentSourceRow[0]) = 2;
  p.Row(profile::kCurrentSourceRow[2]) = 2;
  profile::ApplyCurrentSources(p);
  EXPECT_EQ(p.Row(profile::kCurrentSourceRow[8]), 1);
  EXPECT_EQ(p.daq.CurrentSourceByte, 0b101);
  // A damaged row far beyond 2 still gives a byte, without overflowing the shift.
  p.Row(profile::kCurrentSourceRow[7]) = 3e9f;
  profile::ApplyCurrentSources(p);
  EXPECT_GE(p.daq.CurrentSourceByte, 0);
  EXPECT_LE(p.daq.CurrentSourceByte, 255);
  EXPECT_EQ(p.daq.CurrentSourceByte & 0x7F, 0b101);
}

}  // namespace
