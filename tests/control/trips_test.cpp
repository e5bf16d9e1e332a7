#include "control/trips.h"

#include <gtest/gtest.h>

#include "profile/recompute.h"
#include "support/test_platform.h"

using namespace control;
using testing_support::Harness;
using ui::MenuId;
namespace row = profile::row;

namespace {

// A full-level pulse in Auto mode that passes every check: 10 G wanted and measured.
struct TripBench : Harness {
  TripBench() {
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
    prog.plot.TestLevelG = 10;
    prog.run.LevelFactor = 1;
    prog.run.DrivePeakCounts = 500;
    Measure(10, 1, 1);
    prog.control.SystemEqualized = 1;
  }
  void Measure(float a, float v, float d) {
    prog.plot.ResponsePeakA = a;
    prog.plot.ResponsePeakV = v;
    prog.plot.ResponsePeakD = d;
    prog.control.LastPeakA = a;
  }
  std::vector<std::string> Check() {
    plat.Boxes.clear();
    CheckTrips(prog);
    std::vector<std::string> texts;
    for (const auto& b : plat.Boxes) {
      EXPECT_EQ(b.Title, kTripTitle);
      EXPECT_EQ(b.ButtonSet, ui::Buttons::OK);
      EXPECT_EQ(b.IconKind, ui::Icon::None);
      texts.push_back(b.Text);
    }
    return texts;
  }
  using Texts = std::vector<std::string>;
};

}  // namespace

TEST(CheckTrips, ManualAndTransientModesCheckNothing) {
  for (float mode : {1.0f, 2.0f}) {
    TripBench t;
    t.prog.Row(row::ControlMode) = mode;
    t.prog.control.TripCode = trip::LowGain;
    t.prog.run.DrivePeakCounts = 4000;
    t.Measure(1e6f, 1e6f, 1e6f);
    EXPECT_TRUE(t.Check().empty());
    EXPECT_EQ(t.prog.control.TripCode, trip::LowGain);
    EXPECT_EQ(t.prog.control.SystemEqualized, 1.0f);
  }
}

TEST(CheckTrips, APassingPulseClearsAnEarlierTrip) {
  TripBench t;
  t.prog.control.TripCode = trip::OverTest;
  EXPECT_TRUE(t.Check().empty());
  EXPECT_EQ(t.prog.control.TripCode, trip::None);
  EXPECT_EQ(t.prog.control.SystemEqualized, 1.0f);
}

TEST(CheckTrips, OpenLoopAboveTheDriveThreshold) {
  TripBench t;  // 0.5 dB: 3980 counts
  t.prog.run.DrivePeakCounts = 3980;
  EXPECT_TRUE(t.Check().empty());
  t.prog.run.DrivePeakCounts = 3981;
  EXPECT_EQ(t.Check(), TripBench::Texts{" OPEN LOOP"});
  t.prog.Row(row::OpenLoopDb) = 2;  // 3920
  t.prog.run.DrivePeakCounts = 3921;
  EXPECT_EQ(t.Check(), TripBench::Texts{" OPEN LOOP"});
}

TEST(CheckTrips, EnglishLimitsAreStrict) {
  TripBench t;
  t.prog.plot.TestLevelG = 100;
  t.Measure(100, 100, 500);
  EXPECT_TRUE(t.Check().empty());
  t.Measure(100.01f, 100, 500);
  EXPECT_EQ(t.Check(), TripBench::Texts{" Acceleration > SYSTEM A LIMIT  "});
  EXPECT_EQ(t.prog.control.TripMessage, " Acceleration > SYSTEM A LIMIT  ");
  EXPECT_EQ(t.prog.control.TripCode, trip::LimitA);
  EXPECT_EQ(t.prog.control.SystemEqualized, 0.0f);
  t.Measure(100, 100.01f, 500);
  EXPECT_EQ(t.Check(), TripBench::Texts{" Velocity > SYSTEM V LIMIT    "});
  // The limit is peak-to-peak; the measured displacement is a peak.
  t.Measure(100, 100, 500.01f);
  EXPECT_EQ(t.Check(), TripBench::Texts{" Displacement > SYSTEM D LIMIT  "});
}

TEST(CheckTrips, MetricAndHybridConvertThePeaksToTheLimitUnits) {
  TripBench t;
  t.prog.Row(row::UnitSystem) = 1;
  t.prog.Row(row::LimitA) = 981;    // m/s²
  t.prog.Row(row::LimitV) = 254;    // cm/s
  t.prog.Row(row::LimitD) = 25.4f;  // mm peak-to-peak
  t.prog.plot.TestLevelG = 100;
  t.Measure(100, 100, 500);  // 980.7 m/s², 254 cm/s, 25.4 mm
  EXPECT_TRUE(t.Check().empty());
  t.Measure(100.04f, 100.01f, 501);
  EXPECT_EQ(t.Check(), (TripBench::Texts{" Acceleration > SYSTEM A LIMIT  ",
                                         " Displacement > SYSTEM D LIMIT  ",
                                         " Velocity > SYSTEM V LIMIT    "}));

  t.prog.Row(row::UnitSystem) = 2;  // G, cm/s, mm
  t.prog.Row(row::LimitA) = 100;
  t.Measure(100, 100, 500);
  EXPECT_TRUE(t.Check().empty());
  t.Measure(100.01f, 100.01f, 501);
  EXPECT_EQ(t.Check().size(), 3u);
}

TEST(CheckTrips, ToleranceBandAtSixDecibels) {
  TripBench t;  // 10 G, 6 dB: 19.937 and 5.0158 G
  for (float a : {19.937f, 5.0158f}) {
    t.Measure(a, 1, 1);
    EXPECT_TRUE(t.Check().empty()) << a;
  }
  t.Measure(19.938f, 1, 1);
  EXPECT_EQ(t.Check(), TripBench::Texts{" OVER-TEST "});
  t.Measure(5.0157f, 1, 1);
  EXPECT_EQ(t.Check(), TripBench::Texts{" UNDER-TEST  "});
  EXPECT_EQ(t.prog.control.TripCode, trip::UnderTest);

  // A pre-test level factor scales the band.
  t.prog.run.LevelFactor = 0.5f;
  t.Measure(9.96f, 1, 1);
  EXPECT_TRUE(t.Check().empty());
  t.Measure(9.97f, 1, 1);
  EXPECT_EQ(t.Check(), TripBench::Texts{" OVER-TEST "});
}

TEST(CheckTrips, LowGainNeedsMoreThanAThousandCounts) {
  TripBench t;
  t.prog.plot.TestLevelG = 0.2f;
  t.Measure(0.2f, 1, 1);
  t.prog.run.DrivePeakCounts = 1000;
  EXPECT_TRUE(t.Check().empty());
  t.prog.run.DrivePeakCounts = 1001;
  EXPECT_EQ(t.Check(), TripBench::Texts{" LOW GAIN "});
  // The low-gain test reads the peak kept for the last pulse, not the redrawn one.
  t.prog.control.LastPeakA = 0.3f;
  EXPECT_TRUE(t.Check().empty());
}

TEST(CheckTrips, SeveralTripsOfOnePulseEachStopAndShowABox) {
  TripBench t;
  t.prog.win.Check(MenuId::mnuRunStart, true);
  t.Measure(150, 1, 1);  // above the 100 G limit and over-test
  EXPECT_EQ(t.Check(), (TripBench::Texts{" Acceleration > SYSTEM A LIMIT  ", " OVER-TEST "}));
  EXPECT_EQ(t.prog.control.TripCode, trip::OverTest);
  EXPECT_EQ(t.prog.control.TripMessage, " OVER-TEST ");
  EXPECT_FALSE(t.prog.win.Checked(MenuId::mnuRunStart));
  EXPECT_EQ(t.prog.control.SystemEqualized, 0.0f);
}

TEST(CheckTrips, AboveTwentyDecibelsTheBandIsSkipped) {
  TripBench t;
  t.prog.Row(row::AbortLevelDb) = 25;
  t.prog.run.DrivePeakCounts = 2000;
  t.Measure(0.1f, 1, 1);  // far under-test and low gain, yet no trip
  EXPECT_TRUE(t.Check().empty());
  t.Measure(101, 1, 1);
  EXPECT_EQ(t.Check(), TripBench::Texts{" Acceleration > SYSTEM A LIMIT  "});
  EXPECT_EQ(t.prog.control.SystemEqualized, 1.0f);
}

TEST(RaiseTrip, StopsTheRunAndKeepsTheMessageOfAnUnknownCode) {
  TripBench t;
  t.prog.win.Check(MenuId::mnuRunPretest, true);
  t.prog.win.Button(ui::ButtonId::cmdPreTest).ForeColor = ui::kRed;
  t.prog.run.PulseCount = 4;
  t.prog.control.TripCode = trip::LowGain;
  RaiseTrip(t.prog);
  EXPECT_EQ(t.prog.control.TripMessage, " LOW GAIN ");
  EXPECT_FALSE(t.prog.win.Checked(MenuId::mnuRunPretest));
  EXPECT_EQ(t.prog.win.Button(ui::ButtonId::cmdPreTest).ForeColor, ui::kBlack);
  EXPECT_EQ(t.prog.run.PulseCount, 0);
  t.prog.control.TripCode = 9;
  RaiseTrip(t.prog);
  EXPECT_EQ(t.prog.control.TripMessage, " LOW GAIN ");
  ASSERT_EQ(t.plat.Boxes.size(), 2u);
  EXPECT_EQ(t.plat.Boxes[1].Text, " LOW GAIN ");
}
