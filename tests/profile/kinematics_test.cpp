#include "profile/kinematics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "support/test_platform.h"

using namespace profile;
using testing_support::Harness;
using ui::MenuId;

namespace {

const std::string kD = " Test Displacement > System D Limit ";
const std::string kV = " Test Velocity > System V Limit ";
const std::string kA = " Test Acceleration > System A Limit ";

struct Kin : ::testing::Test {
  Harness h;
  Program& p = h.prog;
  void SetUp() override {
    SetProfileDefaults(p);
    SynthesizePulse(p);
    p.plot.TestLevelG = 15;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : h.plat.Boxes) t.push_back(b.Text);
    return t;
  }
  void SetPeaks(float a, float v, float d) {
    p.plot.RefPeakA = a;
    p.plot.RefPeakV = v;
    p.plot.RefPeakD = d;
  }
};

}  // namespace

TEST_F(Kin, DefaultPulsePeaksAndTrace) {
  KinematicsTrace trace;
  trace.Accel[0] = trace.Displacement[1024] = 99;
  ComputeReferenceKinematics(p, &trace);
  EXPECT_NEAR(p.plot.RefPeakA, 15, 0.01);
  EXPECT_NEAR(p.plot.RefPeakV, 19.7, 0.2);
  EXPECT_NEAR(p.plot.RefPeakD, 125, 2);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.daq.GainPeakG, p.plot.RefPeakA);
  // Samples 0 and 1024 are not integrated.
  EXPECT_EQ(trace.Accel[0], 0);
  EXPECT_EQ(trace.Displacement[1024], 0);
  // The decimal constants in double precision, each result stored in single precision: at
  // 16.7 G the single-precision constants give other last digits on many samples.
  p.plot.TestLevelG = 16.7f;
  ComputeReferenceKinematics(p, &trace);
  float v = 0, d = 0;
  for (int i = 1; i < 1024; ++i) {
    const float a = static_cast<float>(16.7f * 0.0125 * p.wave.ReferencePulse[i]);
    v = static_cast<float>(v + a * 0.08 / 1.0);
    d = static_cast<float>(d + v * 0.153 / 1.0);
    ASSERT_EQ(trace.Accel[i], a) << i;
    ASSERT_EQ(trace.Velocity[i], v) << i;
    ASSERT_EQ(trace.Displacement[i], d) << i;
  }
  p.plot.TestLevelG = 15;
  ComputeReferenceKinematics(p, &trace);
  // Velocity rises through the main pulse by its area times 0.08 per sample at M = 4.
  EXPECT_NEAR(trace.Velocity[256] - trace.Velocity[204], 15 * 2 * 51.2 / M_PI * 0.08, 0.2);
  EXPECT_FLOAT_EQ(trace.Displacement[2] - trace.Displacement[1], trace.Velocity[2] * 0.153f);
}

TEST_F(Kin, SamplingFactorScalesTheIntegration) {
  // The same reference read at twice the rate gives half the velocity.
  ComputeReferenceKinematics(p);
  float v4 = p.plot.RefPeakV, d4 = p.plot.RefPeakD;
  p.wave.SampleFactor = 8;
  ComputeReferenceKinematics(p);
  EXPECT_FLOAT_EQ(p.plot.RefPeakV, v4 / 2);
  EXPECT_NEAR(p.plot.RefPeakD, d4 / 4, d4 * 1e-5);
}

TEST_F(Kin, LimitWarningsInOrderAndOncePerCheck) {
  p.plot.TestLevelG = 150;
  p.Row(row::LimitV) = 1000;
  p.Row(row::LimitD) = 10000;
  ComputeReferenceKinematics(p);
  EXPECT_EQ(Texts(), std::vector<std::string>{kA});
  EXPECT_EQ(h.plat.Boxes[0].Title, "");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::OK);
  ComputeReferenceKinematics(p);
  EXPECT_EQ(Texts().size(), 2u);

  h.plat.Boxes.clear();
  p.Row(row::LimitD) = p.Row(row::LimitV) = p.Row(row::LimitA) = 1;
  ComputeReferenceKinematics(p);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kD, kV, kA}));
  EXPECT_EQ(p.daq.GainPeakG, p.plot.RefPeakA);
}

TEST_F(Kin, EnglishComparisonsAreStrict) {
  SetPeaks(100, 100, 500);  // 1000 mils peak-to-peak
  CheckSystemLimits(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  SetPeaks(std::nextafter(100.0f, 200.0f), std::nextafter(100.0f, 200.0f),
           std::nextafter(500.0f, 600.0f));
  CheckSystemLimits(p);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kD, kV, kA}));
}

TEST_F(Kin, MetricComparesConvertedPeaks) {
  p.Row(row::UnitSystem) = 1;
  SetPeaks(10, 10, 100);
  p.Row(row::LimitA) = 10 * 9.807f;
  p.Row(row::LimitV) = 10 * 2.54f;
  p.Row(row::LimitD) = 100 * 0.0508f;
  CheckSystemLimits(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.daq.GainPeakG, 10);  // stays in G
  p.Row(row::LimitA) = std::nextafter(p.Row(row::LimitA), 0.0f);
  p.Row(row::LimitD) = std::nextafter(p.Row(row::LimitD), 0.0f);
  CheckSystemLimits(p);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kD, kA}));
}

TEST_F(Kin, HybridWarnsInMillimetresCentimetresAndG) {
  p.Row(row::UnitSystem) = 2;
  SetPeaks(10, 10, 100);
  p.Row(row::LimitA) = 10;
  p.Row(row::LimitV) = 10 * 2.54f;
  p.Row(row::LimitD) = 100 * 0.0508f;
  CheckSystemLimits(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  SetPeaks(11, 11, 110);
  CheckSystemLimits(p);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kD, kV, kA}));
  EXPECT_EQ(p.daq.GainPeakG, 11);
  // A unit system that is none of the three checks nothing but still sets the gain peak.
  h.plat.Boxes.clear();
  p.Row(row::UnitSystem) = 7;
  SetPeaks(1e6f, 1e6f, 1e6f);
  CheckSystemLimits(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.daq.GainPeakG, 1e6f);
}

TEST_F(Kin, UnitRoundTripAndCheckMarks) {
  int refreshes = p.plot.RefreshCount;
  SetUnitSystem(p, 1);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsMetric));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemUnitsEnglish));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemUnitsHybrid));
  EXPECT_EQ(p.Row(row::UnitSystem), 1);
  EXPECT_FLOAT_EQ(p.Row(row::LimitD), 25.4f);
  EXPECT_FLOAT_EQ(p.Row(row::LimitV), 254);
  EXPECT_FLOAT_EQ(p.Row(row::LimitA), 980.7f);
  EXPECT_FLOAT_EQ(p.Row(row::PulseAmplitude), 147.105f);
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 1);

  SetUnitSystem(p, 1);  // already in force: nothing converted, nothing recomputed
  EXPECT_FLOAT_EQ(p.Row(row::LimitD), 25.4f);
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 1);

  SetUnitSystem(p, 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsEnglish));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemUnitsMetric));
  EXPECT_NEAR(p.Row(row::LimitD), 999.998, 1e-3);
  EXPECT_NEAR(p.Row(row::LimitV), 99.9998, 1e-3);
  EXPECT_NEAR(p.Row(row::LimitA), 100.031, 1e-3);
  EXPECT_NEAR(p.Row(row::PulseAmplitude), 15.0047, 1e-3);
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 2);
}

TEST_F(Kin, HybridConversionsTouchOnlyTheirColumns) {
  SetUnitSystem(p, 2);  // English -> Hybrid: velocity and displacement only
  EXPECT_FLOAT_EQ(p.Row(row::PulseAmplitude), 15);
  EXPECT_FLOAT_EQ(p.Row(row::LimitA), 100);
  EXPECT_FLOAT_EQ(p.Row(row::LimitV), 254);
  EXPECT_FLOAT_EQ(p.Row(row::LimitD), 25.4f);
  SetUnitSystem(p, 1);  // Hybrid -> Metric: acceleration only
  EXPECT_FLOAT_EQ(p.Row(row::PulseAmplitude), 15 * 9.807f);
  EXPECT_FLOAT_EQ(p.Row(row::LimitV), 254);
  SetUnitSystem(p, 2);  // Metric -> Hybrid
  EXPECT_FLOAT_EQ(p.Row(row::PulseAmplitude), 15 * 9.807f * 0.102f);
  EXPECT_FLOAT_EQ(p.Row(row::LimitD), 25.4f);
  SetUnitSystem(p, 0);  // Hybrid -> English
  EXPECT_FLOAT_EQ(p.Row(row::LimitV), 254 * 0.3937f);
  EXPECT_FLOAT_EQ(p.Row(row::LimitD), 25.4f * 39.37f);

  int refreshes = p.plot.RefreshCount;
  SetUnitSystem(p, 3);  // not a unit system
  EXPECT_EQ(p.Row(row::UnitSystem), 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsEnglish));
  EXPECT_EQ(p.plot.RefreshCount, refreshes);
}

TEST_F(Kin, SampleRateFromDurationWithItsGaps) {
  const std::pair<float, int> table[] = {{0.5f, 4},    {4.99f, 4}, {5, 3},      {19.99f, 3},
                                         {19.995f, 0}, {20, 2},    {39.99f, 2}, {39.995f, 0},
                                         {40, 1},      {100, 1},   {NAN, 0}};
  for (auto [d, code] : table) EXPECT_EQ(SampleRateCodeForDuration(d), code) << d;

  int refreshes = p.plot.RefreshCount;
  p.Row(row::PulseDuration) = 25;
  SelectSampleRate(p);
  EXPECT_EQ(p.Row(row::SampleRateCode), 2);
  EXPECT_EQ(p.wave.SampleFactor, 2);
  EXPECT_EQ(p.daq.AdcRate, 2560);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockSample256));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuShockSample512));
  EXPECT_FLOAT_EQ(p.wave.PulseSamples, 64);  // resynthesised at the new rate
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 1);

  p.Row(row::PulseDuration) = 39.995f;  // in a gap: nothing changes, no recompute
  SelectSampleRate(p);
  EXPECT_EQ(p.Row(row::SampleRateCode), 2);
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 1);

  p.Row(row::PulseDuration) = 0.8f;
  SelectSampleRate(p);
  EXPECT_EQ(p.daq.AdcRate, 10240);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockSample1024));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuShockSample256));

  SelectSampleRate(p, 5);  // not a code: ignored
  EXPECT_EQ(p.Row(row::SampleRateCode), 4);
  SelectSampleRate(p, 1);
  EXPECT_EQ(p.wave.SampleFactor, 1);
  EXPECT_EQ(p.daq.AdcRate, 1280);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockSample128));
}
