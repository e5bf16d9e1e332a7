#include "display/plot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display/draw.h"
#include "plot_fixture.h"

namespace display_test {
namespace {

using display::PointX;
using display::RefreshPlot;

// Integrates as the plot does, for comparison: velocity and displacement of a trace.
struct Integrated {
  std::vector<double> a, v, d;
};
Integrated Integrate(const std::vector<double>& accel, int m) {
  Integrated r{accel, std::vector<double>(accel.size()), std::vector<double>(accel.size())};
  for (size_t i = 1; i < accel.size(); ++i) {
    r.v[i] = r.v[i - 1] + accel[i] * 0.08 / (0.25 * m);
    r.d[i] = r.d[i - 1] + r.v[i] * 0.153 / (0.25 * m);
  }
  return r;
}

TEST_F(PlotTest, RightEdgeFollowsZoomAndSampling) {
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewDrive, true);
  struct Case {
    float zoom;
    int m;
    int lastInside;  // last trace point left of the right edge
  } cases[] = {{1, 4, 510}, {2, 4, 1021}, {1, 1, 127}, {4, 1, 510}, {0.5f, 8, 510}};
  for (const auto& c : cases) {
    p.plot.XZoom = c.zoom;
    p.wave.SampleFactor = static_cast<int16_t>(c.m);
    RefreshPlot(p);
    const Primitive* in = EndingAt(15, c.lastInside);
    const Primitive* out = EndingAt(15, c.lastInside + 1);
    ASSERT_TRUE(in && out) << c.zoom << " " << c.m;
    EXPECT_LT(in->X2, canvas.W);
    EXPECT_GT(out->X2, canvas.W);
  }
}

TEST_F(PlotTest, DriveWaveformScalesCodesByTheTestLevel) {
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewDrive, true);
  p.wave.DriveCodes[100] = 228;  // 100 codes above zero
  p.wave.DriveCodes[101] = 28;
  RefreshPlot(p);
  EXPECT_EQ(CountTexts(" DRIVE WAVEFORM "), 1);
  // 0.004 x 100 x 15 G = 6 G at 0.005 per G and YZoom 0.25: 0.12 of the height.
  EXPECT_NEAR(EndingAt(15, 100)->Y2, 600 * (0.5 - 0.12), 1e-3);
  EXPECT_NEAR(EndingAt(15, 101)->Y2, 600 * (0.5 + 0.12), 1e-3);
  EXPECT_NEAR(EndingAt(15, 102)->Y1, 600 * (0.5 + 0.12), 1e-3);
  EXPECT_NEAR(EndingAt(15, 102)->Y2, 300, 1e-9);
  // Metric amplitude is in m/s2: 15 m/s2 is drawn as 1.53 G.
  p.Row(profile::row::UnitSystem) = 1;
  RefreshPlot(p);
  EXPECT_NEAR(p.plot.TestLevelG, 1.53f, 1e-6);
}

TEST_F(PlotTest, ZeroReferenceGivesFlatCentreLineAndZeroPeaks) {
  p.plot.RefPeakA = p.plot.RefPeakV = p.plot.RefPeakD = 7;
  p.plot.ResponsePeakA = 7;  // from an earlier response
  RefreshPlot(p);
  EXPECT_EQ(CountTexts(" TEST PROFILE "), 1);
  int n = 0;
  for (int color : {12, 14, 13})
    for (const auto& l : Lines(color)) {
      EXPECT_DOUBLE_EQ(l.Y1, 300);
      EXPECT_DOUBLE_EQ(l.Y2, 300);
      ++n;
    }
  EXPECT_GT(n, 3 * 1000);
  EXPECT_EQ(p.plot.RefPeakA, 0);
  EXPECT_EQ(p.plot.RefPeakV, 0);
  EXPECT_EQ(p.plot.RefPeakD, 0);
  EXPECT_EQ(p.plot.ResponsePeakA, 0);
}

TEST_F(PlotTest, ProfileAndResponseVelocityScalesDifferInHybridUnits) {
  std::vector<double> accel(1024, 0.0);
  for (int i = 100; i < 110; ++i) {
    p.wave.ReferencePulse[i] = 80;  // 15 G
    accel[i] = 15;
    SetSample(1, i, 150);  // 15 G at 10 counts per G
  }
  p.Row(display::kSmoothResponseRow) = 0;
  Integrated ref = Integrate(accel, 4);
  struct Case {
    float units;
    double profileV, responseV, d;
  } cases[] = {
      {0, 0.005, 0.005, 0.0005}, {1, 0.00127, 0.00127, 0.000127}, {2, 0.00127, 0.005, 0.0005}};
  for (const auto& c : cases) {
    p.Row(profile::row::UnitSystem) = c.units;
    p.Row(profile::row::PulseAmplitude) = c.units == 1 ? 15 / 0.102f : 15;
    p.win.Check(MenuId::mnuViewTest, true);
    RefreshPlot(p);
    EXPECT_NEAR(ValueAt(EndingAt(14, 300)->Y2, c.profileV), ref.v[300], 1e-3) << c.units;
    EXPECT_NEAR(ValueAt(EndingAt(13, 300)->Y2, c.d), ref.d[300], 1e-2) << c.units;
    EXPECT_NEAR(ValueAt(EndingAt(12, 105)->Y2, 0.005), 15, 1e-3);

    ShowOnlyChannels({1});
    RefreshPlot(p);
    EXPECT_NEAR(ValueAt(EndingAt(14, 300)->Y2, c.responseV), ref.v[300], 1e-3) << c.units;
    EXPECT_NEAR(ValueAt(EndingAt(13, 300)->Y2, c.d), ref.d[300], 1e-2) << c.units;
    p.win.Check(MenuId::mnuViewResponse, false, 0);
  }
}

TEST_F(PlotTest, AbortLimitsOnlyAroundTheMainPulse) {
  for (int i = 0; i < 1025; ++i) p.wave.ReferencePulse[i] = 40;  // 7.5 G everywhere
  p.win.Check(MenuId::mnuViewAbort, true);
  RefreshPlot(p);
  auto white = Lines(15);
  // 4T = 204.8 .. 5T = 256: points 205 to 256, an upper and a lower segment each.
  ASSERT_EQ(white.size(), 2u * 52);
  // The upper limit first, then the lower one.
  EXPECT_NEAR(white.front().X2, PointX(p, 205), 1e-9);
  EXPECT_NEAR(white[51].X2, PointX(p, 256), 1e-9);
  EXPECT_NEAR(white[52].X2, PointX(p, 205), 1e-9);
  EXPECT_NEAR(white.back().X2, PointX(p, 256), 1e-9);
  // 7.5 G is 90 px above the centre; 6 dB spreads it by e^0.69.
  const double g = std::exp(0.115 * 6);
  EXPECT_NEAR(white[1].Y2, 300 - 90 * g, 1e-6);
  EXPECT_NEAR(white[53].Y2, 300 - 90 / g, 1e-6);
  // The first segment starts from the value of point 204, not from zero.
  EXPECT_NEAR(white[0].Y1, 300 - 90 * g, 1e-6);

  // Negative polarity turns the limits over, not the profile.
  p.Row(profile::row::Polarity) = 2;
  RefreshPlot(p);
  white = Lines(15);
  EXPECT_NEAR(white[1].Y2, 300 + 90 * g, 1e-6);
  EXPECT_NEAR(EndingAt(12, 230)->Y2, 300 - 90, 1e-6);
}

TEST_F(PlotTest, ResponseIsTheMeanOfFourSamplesAboveTheZero) {
  ShowOnlyChannels({3, 12});
  p.control.SystemEqualized = 1;
  p.daq.AdcZero = -100;
  p.daq.ChannelScale[3] = p.daq.ChannelScale[12] = 1000;
  const int16_t counts[4] = {100, 200, 300, 32767};  // scans 98..101
  for (int k = 0; k < 4; ++k) {
    SetSample(3, 98 + k, counts[k]);
    SetSample(12, 98 + k, counts[k]);
  }
  RefreshPlot(p);
  // Point 100 is the mean of scans 98..101, each taken above the zero of -100; the
  // full-scale sample must not wrap round.
  const double mean = (200 + 300 + 400 + 32867) * 0.25 / 1000;
  EXPECT_NEAR(ValueAt(EndingAt(display::ChannelColor(3), 100)->Y2, 0.005), mean, 1e-3);
  EXPECT_NEAR(ValueAt(EndingAt(display::ChannelColor(12), 100)->Y2, 0.005), mean, 1e-3);
  EXPECT_NEAR(p.plot.ChannelPeak[12], mean, 1e-3);
  EXPECT_NEAR(p.plot.ResponsePeakA, mean, 1e-3);  // the last channel drawn

  p.Row(display::kSmoothResponseRow) = 0;
  RefreshPlot(p);
  EXPECT_NEAR(ValueAt(EndingAt(display::ChannelColor(3), 100)->Y2, 0.005), 0.4, 1e-5);
  // Everywhere else the samples are 0 counts, .1 G above the zero.
  EXPECT_NEAR(ValueAt(EndingAt(display::ChannelColor(3), 500)->Y2, 0.005), 0.1, 1e-5);
}

TEST_F(PlotTest, ResponseWithoutCalibrationReadsZero) {
  ShowOnlyChannels({1});
  p.daq.ChannelScale[1] = 0;
  for (int i = 0; i < 1024; ++i) SetSample(1, i, 500);
  RefreshPlot(p);
  for (const auto& l : Lines(12)) ASSERT_DOUBLE_EQ(l.Y2, 300);
  EXPECT_EQ(p.plot.ResponsePeakA, 0);
}

TEST_F(PlotTest, ResponseKinematicsDecayAfterThePulse) {
  ShowOnlyChannels({1});
  p.daq.ChannelScale[1] = 1000;
  for (int i = 0; i < 1024; ++i) SetSample(1, i, 20);  // .02 G throughout
  RefreshPlot(p);
  // 9.1 T = 465.92: point 466 is the first that decays.
  auto v = [&](int i) { return ValueAt(EndingAt(14, i)->Y2, 0.005); };
  auto d = [&](int i) { return ValueAt(EndingAt(13, i)->Y2, 0.0005); };
  EXPECT_NEAR(v(465) - v(464), 0.02 * 0.08, 1e-6);
  EXPECT_NEAR(v(466) / v(465), 0.9, 1e-5);
  EXPECT_NEAR(v(700) / v(699), 0.9, 1e-4);
  EXPECT_NEAR(d(466) / d(465), 0.9, 1e-5);
  EXPECT_NEAR(d(465) - d(464), v(465) * 0.153, 1e-4);
}

TEST_F(PlotTest, ResponsePeaksOfVelocityAndDisplacementEndBeforePoint512) {
  ShowOnlyChannels({1});
  p.wave.PulseSamples = 200;  // no decay within the record
  p.daq.ChannelScale[1] = 1000;
  for (int i = 100; i < 110; ++i) SetSample(1, i, 100);
  for (int i = 600; i < 1024; ++i) SetSample(1, i, 300);
  RefreshPlot(p);
  // The smoothed pulse of .1 G over ten samples adds .08 in/s; the later larger velocity
  // does not count.
  EXPECT_NEAR(p.plot.ResponsePeakV, 0.08, 1e-5);
  EXPECT_NEAR(p.plot.ResponsePeakA, 0.3, 1e-6);
  const double vEnd = ValueAt(EndingAt(14, 1000)->Y2, 0.005);
  EXPECT_GT(vEnd, 10 * p.plot.ResponsePeakV);
  EXPECT_GT(p.plot.ResponsePeakD, 0);
  EXPECT_LT(p.plot.ResponsePeakD, ValueAt(EndingAt(13, 520)->Y2, 0.0005) + 1e-3);
}

TEST_F(PlotTest, OnlyControlChannelsBeforeEqualisationInAutoMode) {
  p.win.Check(MenuId::mnuViewTest, false);
  for (int c = 0; c < 16; ++c) p.win.Check(MenuId::mnuViewResponse, true, c);
  RefreshPlot(p);
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 2);
  EXPECT_EQ(Lines(13).size(), 2u * 1020);  // channels 1 and 9 only: their displacement
  EXPECT_EQ(Lines(4).size(), 0u);
  EXPECT_EQ(CountTexts("Ch#11 --"), 1);  // the legend still lists every checked channel

  p.control.SystemEqualized = 1;
  RefreshPlot(p);
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 16);

  p.control.SystemEqualized = 0;
  p.Row(profile::row::ControlMode) = 1;
  p.Row(profile::row::ViewChannels) = 2;
  RefreshPlot(p);
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 8);
  EXPECT_EQ(CountTexts("Ch#1---"), 0);
  EXPECT_EQ(CountTexts("Ch#16 - -"), 1);
}

TEST_F(PlotTest, GridTitleAndBackground) {
  RefreshPlot(p);
  ASSERT_EQ(canvas.Items[0].What, Primitive::Clear);
  EXPECT_EQ(canvas.Items[0].Color, 0);
  EXPECT_EQ(Lines(3).size(), 10u + 20 + 10 + 49);
  EXPECT_EQ(TextItem(" TEST PROFILE ")->Color, 15);
  EXPECT_DOUBLE_EQ(TextItem(" TEST PROFILE ")->X1, 110);
  p.Row(profile::row::PlotBackground) = 1;
  RefreshPlot(p);
  EXPECT_EQ(canvas.Items[0].Color, 15);
  EXPECT_EQ(TextItem(" TEST PROFILE ")->Color, 0);
}

TEST_F(PlotTest, TestProfileViewClearsTheOtherViews) {
  p.win.Check(MenuId::mnuViewDrive, true);
  p.win.Check(MenuId::mnuViewSRS, true);
  for (int c = 0; c < 3; ++c) p.win.Check(MenuId::mnuViewResponse, true, c);
  RefreshPlot(p);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewDrive));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewSRS));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewResponse, 0));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewResponse, 1));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewResponse, 2));
}

TEST_F(PlotTest, LimitWarningsComeOverTheDrawnProfileAndPanel) {
  for (int i = 205; i < 256; ++i) p.wave.ReferencePulse[i] = 80;
  p.win.Check(MenuId::mnuViewAbort, true);
  p.Row(profile::row::LimitA) = p.Row(profile::row::LimitV) = p.Row(profile::row::LimitD) = 0.001f;
  struct Seen {
    int Traces, Limits, Refreshes;
    std::string Aref;
  };
  std::vector<Seen> seen;
  h.plat.OnBox = [&](const testing_support::Box&) {
    seen.push_back({canvas.CountLines(12), canvas.CountLines(15), h.plat.Refreshes,
                    p.win.Lbl(ui::LabelId::lblAref).Caption});
  };
  RefreshPlot(p);
  ASSERT_EQ(seen.size(), 3u);
  // The whole picture is drawn behind the first box.
  EXPECT_GT(seen[0].Traces, 1000);
  EXPECT_EQ(seen[0].Traces, canvas.CountLines(12));
  EXPECT_GT(seen[0].Limits, 0);
  EXPECT_EQ(seen[0].Refreshes, 1);
  // The panel already reads this refresh's peaks.
  EXPECT_EQ(seen[0].Aref, p.win.Lbl(ui::LabelId::lblAref).Caption);
  EXPECT_NE(seen[0].Aref, "Aref =");
}

TEST_F(PlotTest, WildValuesNeverReachTheCanvas) {
  p.plot.XZoom = 0;  // as a broken profile file could leave it
  p.plot.YZoom = std::nanf("");
  p.wave.ReferencePulse[300] = 1e30f;
  p.wave.ReferencePulse[301] = std::nanf("");
  p.win.Check(MenuId::mnuViewAbort, true);
  RefreshPlot(p);
  EXPECT_FLOAT_EQ(p.plot.XZoom, 0.1f);
  EXPECT_FLOAT_EQ(p.plot.YZoom, 0.25f);
  for (const auto& i : canvas.Items) {
    if (i.What != Primitive::Line) continue;
    for (double v : {i.X1, i.X2}) ASSERT_TRUE(v >= -1000 && v <= 2000) << v;
    for (double v : {i.Y1, i.Y2}) ASSERT_TRUE(v >= -600 && v <= 1200) << v;
  }
}

}  // namespace
}  // namespace display_test
