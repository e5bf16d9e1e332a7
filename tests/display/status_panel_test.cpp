#include "display/status_panel.h"

#include <gtest/gtest.h>

#include "plot_fixture.h"

namespace display_test {
namespace {

using ui::LabelId;

struct StatusTest : PlotTest {
  std::string Cap(LabelId id) const { return p.win.Lbl(id).Caption; }
  void Peaks() {
    p.plot.RefPeakA = 15;
    p.plot.RefPeakV = 19.74f;
    p.plot.RefPeakD = 125;
    p.plot.ResponsePeakA = 14.25f;
    p.plot.ResponsePeakV = 18.5f;
    p.plot.ResponsePeakD = 110;
    p.control.ControlPeakG = 14.5f;
    p.run.DrivePeakCounts = 1500;
  }
};

TEST_F(StatusTest, SettingsAndPeaksInEachUnitSystem) {
  Peaks();
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::lblAbort), " ABORT = 6. DB.");
  EXPECT_EQ(Cap(LabelId::lblPreTest), " PRETEST = -6. DB.");
  EXPECT_EQ(Cap(LabelId::lblTestLevel), " LEVEL = 15. G-PK");
  EXPECT_EQ(Cap(LabelId::lblDuration), " WIDTH = 10. Msec.");
  EXPECT_EQ(Cap(LabelId::lblElapsedTime), " POSITIVE POLARITY");
  EXPECT_EQ(Cap(LabelId::lblTime), " 10:00:00");
  EXPECT_EQ(Cap(LabelId::lblDate), " 12/8/2026");
  EXPECT_EQ(Cap(LabelId::lblProfile), " DEFAULT PROFILE");
  // English: displacement peak to peak in mils.
  EXPECT_EQ(Cap(LabelId::lblDref), " Dref = 250. MILS ");
  EXPECT_EQ(Cap(LabelId::lblVref), " Vref = 19.74 IPS-PK");
  EXPECT_EQ(Cap(LabelId::lblAref), " Gref = 15. G-PK  ");
  EXPECT_EQ(Cap(LabelId::lblDisp), " DISP. = 220.0 MILS ");
  EXPECT_EQ(Cap(LabelId::lblVel), " VEL. = 18.50 IPS-PK");
  EXPECT_EQ(Cap(LabelId::lblAccBottom), " ACC. = 14.25 G-PK  ");
  EXPECT_EQ(Cap(LabelId::lblComp), " DRIVE LEVEL= 37.5 %");
  EXPECT_EQ(Cap(LabelId::LblAcc), "  14.3");

  p.Row(profile::row::UnitSystem) = 1;
  p.Row(profile::row::Polarity) = 2;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::lblElapsedTime), " NEGATIVE POLARITY");
  EXPECT_EQ(Cap(LabelId::lblDref), " Dref = 6.35 MM    ");
  EXPECT_EQ(Cap(LabelId::lblVref), " Vref = 50.14 CM/S");
  EXPECT_EQ(Cap(LabelId::lblAref), " Gref = 139.7 M/S^2 ");
  EXPECT_EQ(Cap(LabelId::lblDisp), " DISP. = 5.59 MM   ");
  EXPECT_EQ(Cap(LabelId::lblVel), " VEL. = 46.99 CM/S");
  EXPECT_EQ(Cap(LabelId::lblAccBottom), " ACC. = 142.2 M/S^2 ");
  EXPECT_EQ(Cap(LabelId::lblComp), " DRIVE = 37.5 %");
  EXPECT_EQ(Cap(LabelId::LblAcc), "  140");

  p.Row(profile::row::UnitSystem) = 2;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::lblDref), " Dref = 6.4 MM    ");
  EXPECT_EQ(Cap(LabelId::lblAref), " Gref = 14.25 G-PK ");
  EXPECT_EQ(Cap(LabelId::lblAccBottom), " ACC. = 14.50 G-PK ");
  EXPECT_EQ(Cap(LabelId::lblDisp), " DISP. = 5.59 MM   ");

  // An unknown unit system leaves the peak labels as they were.
  p.Row(profile::row::UnitSystem) = 5;
  p.plot.RefPeakD = 1;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::lblDref), " Dref = 6.4 MM    ");
}

TEST_F(StatusTest, LargeReadoutSwitchesMaskAtOneHundredG) {
  Peaks();
  p.plot.ResponsePeakA = 99.96f;
  p.control.ControlPeakG = 99.99f;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::LblAcc), "  100.0");
  p.control.ControlPeakG = 100;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(Cap(LabelId::LblAcc), "  100");
}

TEST_F(StatusTest, PulseCounterMasks) {
  struct Case {
    int32_t count;
    const char* freq;
    const char* shock;
  } cases[] = {{0, "   0", " SHOCK # =  0"},
               {7, "   7", " SHOCK # =  7"},
               {99, "   99", " SHOCK # =  99"},
               {150, " 150", " SHOCK # =  150"},
               {1500, " 1500", " SHOCK # =  1500"}};
  for (const auto& c : cases) {
    p.run.PulseCount = c.count;
    display::UpdateStatusPanel(p);
    EXPECT_EQ(Cap(LabelId::LblFreq), c.freq);
    EXPECT_EQ(Cap(LabelId::lblShockNo), c.shock);
  }
}

TEST_F(StatusTest, ModeTextsLaterRulesWin) {
  auto mode = [&] {
    display::UpdateStatusPanel(p);
    return Cap(LabelId::lblControlMode);
  };
  EXPECT_EQ(mode(), " SINGLE PULSE");
  p.Row(profile::row::RepetitionMode) = 2;
  EXPECT_EQ(mode(), "  REPETITIVE ");
  p.daq.DemoMode = 1;
  EXPECT_EQ(mode(), "  DEMO MODE");
  p.Row(profile::row::ControlMode) = 1;
  EXPECT_EQ(mode(), "MANUAL MODE");
  EXPECT_EQ(Cap(LabelId::lblMode), " MODE ");
  p.win.SetCaption(LabelId::lblStatus, "READY");
  p.Row(profile::row::ControlMode) = 2;
  EXPECT_EQ(mode(), " TRANSIENT ");
  EXPECT_EQ(Cap(LabelId::lblStatus), "PRESS START TO ARM TRIGGER");

  p.control.TripCode = 5;
  p.control.TripMessage = "OVER TEST";
  EXPECT_EQ(mode(), "OVER TEST  ");
  EXPECT_EQ(Cap(LabelId::lblMode), "ABORTED");
}

TEST_F(StatusTest, CaptionFromTheDealerBanner) {
  p.profile.DealerIndex = 5;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(p.win.Caption, display::DealerBanner(5));
  EXPECT_EQ(display::DealerBanner(5), display::DealerBanner(6));
  EXPECT_NE(display::DealerBanner(4), display::DealerBanner(5));
  EXPECT_NE(p.win.Caption.find("KRX-8"), std::string::npos);
  p.win.Caption = "kept";
  p.profile.DealerIndex = 13;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(p.win.Caption, "kept");
  p.profile.DealerIndex = 0;
  display::UpdateStatusPanel(p);
  EXPECT_EQ(p.win.Caption, "kept");
}

TEST_F(StatusTest, RefreshShowsPeaksOfWhatWasDrawn) {
  for (int i = 100; i < 152; ++i)
    p.wave.ReferencePulse[i] = static_cast<float>(80 * std::sin(M_PI * (i - 100) / 51.2));
  display::RefreshPlot(p);
  EXPECT_NEAR(p.plot.RefPeakA, 15, 0.01);
  EXPECT_EQ(p.plot.ResponsePeakA, p.plot.RefPeakA);
  EXPECT_EQ(Cap(LabelId::lblAccBottom), " ACC. = 15.00 G-PK  ");
}

}  // namespace
}  // namespace display_test
