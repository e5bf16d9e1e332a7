#include "profile/synthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "common/rounding.h"
#include "profile/kinematics.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using namespace profile;
using testing_support::Harness;

namespace {

struct Synth : ::testing::Test {
  Harness h;
  Program& p = h.prog;
  const std::array<float, kWaveSamples>& ref = p.wave.ReferencePulse;
  void SetUp() override { SetProfileDefaults(p); }
  void Run() { SynthesizePulse(p); }
  // Largest magnitude of the reference over [from, to).
  float Peak(int from, int to) const {
    float m = 0;
    for (int i = from; i < to; ++i) m = std::max(m, std::fabs(ref[i]));
    return m;
  }
  float Min(int from, int to) const {
    return *std::min_element(ref.begin() + from, ref.begin() + to);
  }
  float Max(int from, int to) const {
    return *std::max_element(ref.begin() + from, ref.begin() + to);
  }
};

}  // namespace

TEST_F(Synth, DefaultHalfSineSegmentsAndClipping) {
  Run();
  EXPECT_FLOAT_EQ(p.wave.PulseSamples, 51.2f);
  EXPECT_EQ(p.wave.SampleFactor, 4);
  // Main pulse on 205..255, compensation on either side.
  EXPECT_LT(ref[204], 0);
  for (int i = 205; i <= 255; ++i) EXPECT_GT(ref[i], 0) << i;
  EXPECT_LE(ref[256], 0);
  EXPECT_NEAR(Max(205, 256), 80, 0.03);
  EXPECT_NE(ref[460], 0);
  for (int i = 461; i < kWaveSamples; ++i) ASSERT_EQ(ref[i], 0) << i;
  const float clip = 0.167f * 80;
  EXPECT_FLOAT_EQ(clip, 13.36f);
  EXPECT_FLOAT_EQ(Max(0, 205), clip);
  EXPECT_FLOAT_EQ(Min(0, 205), -clip);
  EXPECT_FLOAT_EQ(Max(256, 461), clip);
  EXPECT_FLOAT_EQ(Min(256, 461), -clip);
  // The compensation brings the velocity back near rest.
  double sum = 0;
  for (float v : ref) sum += v;
  EXPECT_LT(std::fabs(sum), 0.01 * 2 * 51.2 / M_PI * 80);
}

TEST_F(Synth, AutomaticClipLevelByShape) {
  const std::pair<int, float> levels[] = {{1, 0.167f},  {2, 0.131f}, {3, 0.131f}, {4, 0.131f},
                                          {5, 0.2358f}, {6, 0.167f}, {7, 0.085f}};
  for (auto [shape, level] : levels) {
    p.Row(row::PulseShape) = static_cast<float>(shape);
    Run();
    EXPECT_FLOAT_EQ(p.wave.CompLevelInEffect, level) << shape;
    EXPECT_FLOAT_EQ(Peak(0, 205), level * 80) << shape;
    EXPECT_FLOAT_EQ(Peak(256, 461), level * 80) << shape;
    EXPECT_GT(Peak(205, 256), 75) << shape;  // the main pulse reaches its peak
  }
  p.Row(row::PulseShape) = 9;
  Run();
  EXPECT_FLOAT_EQ(p.wave.CompLevelInEffect, 0.131f);
}

TEST_F(Synth, MainPulseShapes) {
  // Values at the quarter, half and end of the main pulse (u = 0.25, 0.5, ~1).
  p.Row(row::PulseDuration) = 25;  // T = 64 at code 2 keeps u exact in float
  p.Row(row::SampleRateCode) = 2;
  struct Case {
    int shape;
    float q, half;
  } cases[] = {{1, 80 * std::sin(3.14159f * 0.25f), 80 * std::sin(3.14159f * 0.5f)},
               {2, 20, 40},
               {3, 60, 40},
               {4, 40, 80},
               {5, 80, 80},
               {6, 80 * std::sin(1.57079f * 0.25f), 80 * std::sin(1.57079f * 0.5f)},
               {7, 20, 80}};
  for (auto c : cases) {
    p.Row(row::PulseShape) = static_cast<float>(c.shape);
    Run();
    ASSERT_FLOAT_EQ(p.wave.PulseSamples, 64);
    EXPECT_FLOAT_EQ(ref[256 + 16], c.q) << c.shape;
    EXPECT_FLOAT_EQ(ref[256 + 32], c.half) << c.shape;
  }
  p.Row(row::PulseShape) = 5;  // trapezoid ramps over a tenth of T
  Run();
  EXPECT_FLOAT_EQ(ref[256 + 3], 80 * 10 * 3 / 64.0f);
  EXPECT_FLOAT_EQ(ref[256 + 61], 80 * 10 * 3 / 64.0f);
}

TEST_F(Synth, ManualLevelsClipEachSide) {
  p.Row(row::CompMode) = 1;
  p.Row(row::PreCompPercent) = 10;
  p.Row(row::PostCompPercent) = 20;
  Run();
  EXPECT_FLOAT_EQ(Max(0, 205), 8);
  EXPECT_FLOAT_EQ(Min(0, 205), -8);
  EXPECT_FLOAT_EQ(Max(256, 461), 16);
  EXPECT_FLOAT_EQ(Min(256, 461), -16);
  p.Row(row::CompMode) = 2;  // no clipping at all
  Run();
  EXPECT_GT(Max(0, 205), 79);
  EXPECT_LT(Min(256, 461), -79);
}

TEST_F(Synth, LongPulseIsCutAtTheEndOfTheRecord) {
  p.Row(row::PulseDuration) = 100;
  p.Row(row::SampleRateCode) = 1;
  Run();
  EXPECT_FLOAT_EQ(p.wave.PulseSamples, 128);
  EXPECT_GT(ref[512 + 64], 79);
  EXPECT_FLOAT_EQ(ref[700], -0.167f * 80);
  EXPECT_LT(ref[1023], 0);  // still inside the post-compensation pulse
}

TEST_F(Synth, SineBurstReplacesTheCompensation) {
  p.Row(row::PulseShape) = 8;
  Run();
  EXPECT_GT(Peak(150, 260), 78);  // no clip near the window's peak at 4T
  EXPECT_NE(ref[409], 0);
  for (int i = 410; i < kWaveSamples; ++i) ASSERT_EQ(ref[i], 0) << i;
  // One cycle is T samples: a quarter period after 4T the sine is at its crest.
  EXPECT_NEAR(ref[205 + 13], 80, 1.0);
}

TEST_F(Synth, CustomShapeIsUsedWholeAndNotCut) {
  p.Row(row::PulseShape) = 9;
  p.profile.CustomShape[500] = 1.0f;
  p.profile.CustomShape[1000] = -0.5f;
  p.profile.CustomShape[1024] = 0.25f;
  Run();
  for (int i = 0; i < kWaveSamples; ++i) {
    float want = i == 500 ? 80 : i == 1000 ? -40 : i == 1024 ? 20 : 0;
    ASSERT_EQ(ref[i], want) << i;
  }
}

TEST_F(Synth, DriveFromLoadFactorAndRunningSum) {
  // One sample of 80 at 500: the load term acts on it alone, the sum term after it.
  p.Row(row::PulseShape) = 9;
  p.profile.CustomShape[500] = 1.0f;
  auto codesAt = [&](float load) {
    p.Row(row::LoadCompensation) = load;
    Run();
    return std::array<int, 4>{p.wave.DriveCodes[499], p.wave.DriveCodes[500],
                              p.wave.DriveCodes[501], p.wave.DriveCodes[1024]};
  };
  // k = 0 for Minimum and Moderate (0.5 rounds to 0): sum term only, 0.075 * 80 / 1.
  EXPECT_EQ(codesAt(0), (std::array<int, 4>{128, 128, 122, 122}));
  EXPECT_EQ(codesAt(1), (std::array<int, 4>{128, 128, 122, 122}));
  EXPECT_EQ(codesAt(2), (std::array<int, 4>{128, 48, 122, 122}));  // k = 1
  // k = 2: 160 does not fit; three passes at 0.9 bring it to 116.64 -> 117.
  EXPECT_EQ(codesAt(3), (std::array<int, 4>{128, 11, 124, 124}));
  EXPECT_NEAR(p.wave.DriveScale, 0.729, 1e-12);
  EXPECT_EQ(codesAt(4), (std::array<int, 4>{128, 11, 124, 124}));
  // Negative polarity mirrors about 128.
  p.Row(row::Polarity) = 2;
  EXPECT_EQ(codesAt(4), (std::array<int, 4>{128, 245, 132, 132}));
}

TEST_F(Synth, HugeCustomSamplesFitTheCodeRange) {
  // At scale 1 the running-sum term reaches about 1e10: far past 16 bits.
  p.Row(row::PulseShape) = 9;
  p.Row(row::SampleRateCode) = 1;
  for (int i = 0; i < 1024; ++i) p.profile.CustomShape[i] = (i % 7 < 4) ? 1e6f : -3e5f;
  Run();
  int largest = 0;
  for (int16_t c : p.wave.DriveCodes) {
    ASSERT_GE(c, 1);
    ASSERT_LE(c, 255);
    largest = std::max(largest, std::abs(c - 128));
  }
  EXPECT_GE(largest, 115);  // the last pass is at most one 0.9 step below the range
  EXPECT_LT(p.wave.DriveScale, 1e-7);
  // Samples that are not numbers, or too large for a float, still end in range.
  p.profile.CustomShape[3] = std::nanf("");
  p.profile.CustomShape[4] = INFINITY;
  p.profile.CustomShape[5] = -3e38f;
  Run();
  EXPECT_EQ(ref[3], 0);
  EXPECT_TRUE(std::isfinite(ref[4]));
  EXPECT_TRUE(std::isfinite(ref[5]));
  for (int16_t c : p.wave.DriveCodes) ASSERT_TRUE(c >= 1 && c <= 255);
}

TEST_F(Synth, SamplingFactorAndScanRateFollowTheCode) {
  p.daq.AdcRate = 5120;  // as the board set-up leaves it after a profile load
  p.Row(row::SampleRateCode) = 1;
  Run();
  EXPECT_EQ(p.wave.SampleFactor, 1);
  EXPECT_EQ(p.daq.AdcRate, 1280);
  EXPECT_FLOAT_EQ(p.wave.PulseSamples, 12.8f);
  // A damaged code is read as 5.12 kHz, never as a zero or fractional factor.
  for (float code : {0.0f, 2.5f, 9.0f, NAN}) {
    p.Row(row::SampleRateCode) = code;
    Run();
    EXPECT_EQ(p.wave.SampleFactor, 4) << code;
    EXPECT_EQ(p.daq.AdcRate, 5120) << code;
  }
}

namespace {

// The drive passes as written: full passes at 0.9 steps, d in long double.
std::array<int16_t, kWaveSamples> NaiveDrive(const Program& p, double& scale) {
  const auto& ref = p.wave.ReferencePulse;
  int k = common::ToInt16(p.Row(row::LoadCompensation) * 0.5);
  std::array<int16_t, kWaveSamples> codes{};
  double x = 1;
  for (;;) {
    double s = 0, largest = 0;
    for (int i = 0; i < kWaveSamples; ++i) {
      double d = common::RoundHalfEven(x * k * ref[i] + x * 0.075 * s);
      s += ref[i] / (0.25 * p.wave.SampleFactor);
      largest = std::max(largest, std::fabs(d));
      codes[i] = static_cast<int16_t>(p.Row(row::Polarity) == 2 ? 128 + d : 128 - d);
    }
    if (largest < 128) break;
    x *= 0.9;
  }
  scale = x;
  return codes;
}

}  // namespace

TEST_F(Synth, RandomProfilesKeepTheDriveInRange) {
  std::mt19937 rng(20240611);
  auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int n = 0; n < 600; ++n) {
    SCOPED_TRACE(n);
    p.Row(row::PulseShape) = static_cast<float>(pick(1, 9));
    p.Row(row::PulseAmplitude) = static_cast<float>(uni(0.5, 200));
    p.Row(row::PulseDuration) = static_cast<float>(uni(0.5, 100));
    p.Row(row::SampleRateCode) = static_cast<float>(pick(1, 4));
    p.Row(row::LoadCompensation) = static_cast<float>(pick(0, 4));
    p.Row(row::CompMode) = static_cast<float>(pick(0, 2));
    p.Row(row::PreCompPercent) = static_cast<float>(uni(1, 25));
    p.Row(row::PostCompPercent) = static_cast<float>(uni(1, 25));
    const double mag = std::pow(10.0, uni(-2, 6));
    for (float& c : p.profile.CustomShape) c = static_cast<float>(uni(-mag, mag));

    p.Row(row::Polarity) = 1;
    Run();
    const auto refPos = p.wave.ReferencePulse;
    const auto pos = p.wave.DriveCodes;
    double naiveScale = 0;
    ASSERT_EQ(NaiveDrive(p, naiveScale), pos);
    ASSERT_EQ(naiveScale, p.wave.DriveScale);

    p.Row(row::Polarity) = 2;
    Run();
    ASSERT_EQ(p.wave.ReferencePulse, refPos);
    for (int i = 0; i < kWaveSamples; ++i) {
      ASSERT_TRUE(pos[i] >= 1 && pos[i] <= 255) << i;
      ASSERT_EQ(p.wave.DriveCodes[i], 256 - pos[i]) << i;
    }
    p.plot.TestLevelG = p.Row(row::PulseAmplitude);
    p.Row(row::LimitA) = p.Row(row::LimitV) = p.Row(row::LimitD) = 1e30f;
    ComputeReferenceKinematics(p);
    ASSERT_TRUE(std::isfinite(p.plot.RefPeakD));
  }
  EXPECT_TRUE(h.plat.Boxes.empty());
}
