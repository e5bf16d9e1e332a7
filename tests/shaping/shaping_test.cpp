#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/acceptance.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "shaping/control.h"
#include "shaping/drive_codes.h"
#include "support/test_platform.h"

using namespace shaping;

namespace {

constexpr double kFs = 5120;
constexpr int32_t kLimitCounts = 4000;

// One second-order section (bilinear, prewarped), direct form I.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  static Biquad Make(double f0, double q, bool high) {
    const double w = 2 * std::numbers::pi * f0 / kFs, c = std::cos(w);
    const double al = std::sin(w) / (2 * q), a0 = 1 + al;
    Biquad b;
    b.b1 = (high ? -(1 + c) : 1 - c) / a0;
    b.b0 = b.b2 = (high ? (1 + c) / 2 : (1 - c) / 2) / a0;
    b.a1 = -2 * c / a0, b.a2 = (1 - al) / a0;
    return b;
  }
  double operator()(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1, x1 = x, y2 = y1, y1 = y;
    return y;
  }
};

// A linear shaker: the back-EMF the synthesis inverts, a sample of delay, a suspension
// high-pass, a lightly damped resonance and optionally a low-pass; white noise on the channel.
struct Plant {
  double Gain = 1, ResonanceHz = 700, ResonanceQ = 12.5, LowPassHz = 0, NoiseG = 0;
  std::mt19937 rng{7};
  std::vector<float> Respond(std::span<const float> q) {
    Biquad hp = Biquad::Make(15, 0.7, true), res = Biquad::Make(ResonanceHz, ResonanceQ, false);
    Biquad lp = Biquad::Make(LowPassHz > 0 ? LowPassHz : 1000, 0.7, false);
    std::normal_distribution<double> noise(0, 1);
    std::vector<float> y(kRecord);
    double sum = 0, held = 0;
    for (int i = 0; i < kRecord; ++i) {
      const double a = -Gain * held - 0.075 * sum;  // the coil with its back-EMF
      sum += a;
      held = q[i];
      double v = res(hp(a));
      if (LowPassHz > 0) v = lp(v);
      y[i] = static_cast<float>(v + NoiseG * noise(rng));
    }
    return y;
  }
};

// The profile's reference and synthesised drive, and a plant calibrated to it.
struct Loop {
  testing_support::Harness h;
  Program& p = h.prog;
  Plant plant;
  State s;
  Workspace w;
  Settings set;
  double level = 20, idLevel = 5;  // full level and the -12 dB identification, G
  std::vector<float> synthVolts = std::vector<float>(kRecord);
  double synthPeakPerG = 0;
  std::array<int16_t, profile::kWaveSamples> codes{};
  int32_t counts = 0;
  std::vector<float> played = std::vector<float>(kRecord);

  Loop(float shape, double noisePct, float polarity = 1) {
    profile::SetProfileDefaults(p);
    p.Row(profile::row::PulseShape) = shape;
    p.Row(profile::row::Polarity) = polarity;
    profile::SynthesizePulse(p);
    // The synthesised drive at 1 G; the plant's gain makes its peak 1 G, as an equalised
    // scalar gain would.
    VoltsOfCodes(p.wave.DriveCodes, 10, synthVolts);
    plant.Gain = 1;
    const auto y = plant.Respond(synthVolts);
    plant.Gain = 1 / PeakOf(y);
    synthPeakPerG = PeakOf(synthVolts);
    plant.NoiseG = noisePct * 0.01 * level;
  }
  std::vector<float> Reference(double l) const {
    std::vector<float> r(kRecord);
    const double sign = p.Row(profile::row::Polarity) == 2 ? -1 : 1;
    for (int i = 0; i < kRecord; ++i)
      r[i] = static_cast<float>(sign * l * 0.0125 * p.wave.ReferencePulse[i]);
    return r;
  }
  analysis::AcceptanceResult Judge(const std::vector<float>& ref,
                                   const std::vector<float>& y) const {
    analysis::PulseTraces r{ref, y, kFs, p.wave.PulseSamples};
    return analysis::JudgePulse(r, analysis::Tolerances{});
  }
  struct Fired {
    Outcome out;
    analysis::AcceptanceResult verdict;
  };
  // Fires `drive` (volts) at level l through the output's codes and learns from it.
  Fired Fire(std::span<const float> drive, double l, bool full) {
    const Realised r = Realise(drive, kLimitCounts, codes);
    counts = r.Counts;
    VoltsOfCodes(codes, counts, played);
    const auto y = plant.Respond(played);
    const auto ref = Reference(l);
    Fired f;
    f.verdict = Judge(ref, y);
    const Pulse in{played,
                   y,
                   ref,
                   l,
                   p.wave.PulseSamples,
                   f.verdict.ShiftSamples,
                   full,
                   f.verdict.verdict != analysis::Verdict::Pass};
    const Next next{level, synthPeakPerG * level, PeakVoltsAt(kLimitCounts)};
    f.out = Learn(s, w, set, in, next);
    return f;
  }
  Fired Identify() {
    std::vector<float> q(kRecord);
    for (int i = 0; i < kRecord; ++i) q[i] = static_cast<float>(synthVolts[i] * idLevel);
    return Fire(q, idLevel, false);
  }
  Fired Shaped() { return Fire(std::vector<float>(s.Drive.begin(), s.Drive.end()), level, true); }
};

}  // namespace

// The half-sine and the trapezoid on a resonant shaker: the synthesised drive fails the
// band, the shaped one passes from its first full-level pulse and settles near the noise.
TEST(Shaping, HalfSineAndTrapezoidConverge) {
  for (float shape : {1.0f, 5.0f}) {
    for (float polarity : {1.0f, 2.0f}) {
      SCOPED_TRACE(testing::Message() << "shape " << shape << " polarity " << polarity);
      Loop l(shape, 0.5, polarity);
      const auto id = l.Identify();
      EXPECT_EQ(id.out.step, Step::Shaped);
      EXPECT_NE(id.verdict.verdict, analysis::Verdict::Pass);
      double err = 100;
      for (int k = 0; k < 5; ++k) {
        const auto f = l.Shaped();
        ASSERT_NE(f.out.step, Step::GiveUp) << k;
        EXPECT_EQ(f.verdict.verdict, analysis::Verdict::Pass)
            << k << " band " << f.verdict.WorstBandPct;
        EXPECT_LT(std::fabs(f.verdict.WorstBandPct), 11) << k;
        err = f.out.ErrorPct;
      }
      // The floor is the 8-bit codes' steps ringing the resonance, and the noise.
      EXPECT_LT(err, 12);
      EXPECT_LT(err, id.out.ErrorPct / 5);
      EXPECT_EQ(l.s.Halvings, 0);
      EXPECT_LT(PeakOf(l.played), l.set.GiveUpFactor * l.synthPeakPerG * l.level);
    }
  }
}

// A correction gain of 2 turns the error over every pulse; the guard halves it and the error
// settles.
TEST(Shaping, GuardRecoversAnExcessiveGain) {
  Loop l(1, 0.5);
  l.set.Gain = 2;
  l.Identify();
  double err = 0;
  for (int k = 0; k < 20; ++k) {
    const auto f = l.Shaped();
    ASSERT_NE(f.out.step, Step::GiveUp) << k;
    if (k >= 3) {
      EXPECT_EQ(f.verdict.verdict, analysis::Verdict::Pass) << k;
    }
    err = f.out.ErrorPct;
  }
  EXPECT_GE(l.s.Halvings, 1);
  EXPECT_LT(err, 12);
}

// A terminal-peak sawtooth's one-sample fall through a low-passed shaker cannot be followed:
// the drive is never raised past the give-up factor; the run ends with a reason and a figure.
TEST(Shaping, UnreachableTargetGivesUp) {
  Loop l(2, 0.5);
  l.plant.LowPassHz = 250;
  l.Identify();
  Outcome last;
  int pulses = 0;
  for (; pulses < 40; ++pulses) {
    last = l.Shaped().out;
    EXPECT_LE(PeakOf(l.played), l.set.GiveUpFactor * l.synthPeakPerG * l.level * 1.01);
    if (last.step == Step::GiveUp) break;
  }
  ASSERT_EQ(last.step, Step::GiveUp);
  EXPECT_NE(last.reason, Reason::None);
  EXPECT_GT(last.Measure, 0);
  if (last.reason == Reason::DrivePeak) {
    EXPECT_GT(last.Measure, l.set.GiveUpFactor);
  } else if (last.reason == Reason::NoProgress) {
    EXPECT_LT(last.Measure, 10);
  }
}

// With acceptance off (no pulse "fails") only the drive rules can end a run; the drive limit
// is one.
TEST(Shaping, NoProgressNeedsFailingFullLevelPulses) {
  State s;
  Workspace w;
  const Settings set;
  std::vector<float> q(kRecord, 0), y(kRecord, 0), ref(kRecord, 0);
  for (int i = 200; i < 260; ++i) ref[i] = 10, q[i] = -1, y[i] = 5;  // half the target
  const Next next{10, 100, 100};
  for (bool fails : {false, true}) {
    Reset(s);
    Outcome out;
    for (int k = 0; k < 6 && out.step != Step::GiveUp; ++k)
      // The same record again and again: the error does not fall.
      out = Learn(s, w, set, Pulse{q, y, ref, 10, 25, 0, true, fails}, next);
    EXPECT_EQ(out.reason, fails ? Reason::NoProgress : Reason::None);
  }
  // A next drive beyond the drive limit ends the run with its peak.
  Reset(s);
  const Outcome out = Learn(s, w, set, Pulse{q, y, ref, 10, 25, 0, true, true}, Next{10, 100, 0.5});
  EXPECT_EQ(out.reason, Reason::DriveLimit);
  EXPECT_GT(out.Measure, 0.5);
  EXPECT_EQ(out.Limit, 0.5);
}

// Whatever the drive holds, the codes stay in 1..255 and the level within its limits; a
// drive that fits is played to within half a code, in both polarities.
TEST(Shaping, RealisedCodesStayWithinLimits) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(-1, 1);
  std::array<int16_t, profile::kWaveSamples> codes{};
  std::vector<float> v(kRecord), back(kRecord);
  for (int trial = 0; trial < 200; ++trial) {
    const float scale = std::pow(10.0f, static_cast<float>(trial % 40) - 10);
    for (auto& x : v) x = u(rng) * scale;
    if (trial % 7 == 1) v[trial % kRecord] = nan;
    if (trial % 7 == 2) v[trial % kRecord] = -inf;
    if (trial % 7 == 3) v[trial % kRecord] = 3e38f;
    const int32_t limit = trial % 5 == 0 ? 99999 : (trial % 5 == 1 ? -5 : trial * 20);
    const Realised r = Realise(v, limit, codes);
    ASSERT_GE(r.Counts, 0);
    ASSERT_LE(r.Counts, std::clamp(limit, 0, kMaxCounts));
    for (int16_t c : codes) ASSERT_TRUE(c >= 1 && c <= 255) << trial;
    EXPECT_EQ(codes[kRecord], 128);
    if (!r.Limited) {
      VoltsOfCodes(codes, r.Counts, back);
      const double half = r.Counts / kCountsPerVolt / 256 * 1.0001;
      for (int i = 0; i < kRecord; ++i) ASSERT_NEAR(back[i], v[i], half) << trial;
    }
  }
  // The synthesised drive of either polarity comes back as its own codes.
  for (float polarity : {1.0f, 2.0f}) {
    testing_support::Harness h;
    profile::SetProfileDefaults(h.prog);
    h.prog.Row(profile::row::Polarity) = polarity;
    profile::SynthesizePulse(h.prog);
    const auto& synth = h.prog.wave.DriveCodes;
    int span = 0;
    for (int i = 0; i < kRecord; ++i) span = std::max(span, std::abs(synth[i] - 128));
    VoltsOfCodes(synth, 4 * span * 10, v);  // a level whose steps are whole codes
    const Realised r = Realise(v, kLimitCounts, codes);
    EXPECT_FALSE(r.Limited);
    VoltsOfCodes(codes, r.Counts, back);
    for (int i = 0; i < kRecord; ++i) ASSERT_NEAR(back[i], v[i], r.Counts / 400.0 / 256) << i;
  }
}

// Rows of 0 (every older profile) read as off with the defaults; a damaged value too.
TEST(Shaping, SettingsRowsAndBounds) {
  profile::ShockProfile r;
  Settings s = SettingsOf(r);
  EXPECT_FALSE(s.On);
  EXPECT_EQ(s.Gain, 1.0);
  EXPECT_EQ(s.BandPct, 45);
  StoreSettings(s, r);
  for (int i = profile::row::ShapingOn; i <= profile::row::ShapingGiveUp; ++i)
    EXPECT_EQ(r.Value[i], 0);
  s = {true, 0.5, 10, 30, 3};
  StoreSettings(s, r);
  const Settings back = SettingsOf(r);
  EXPECT_TRUE(back.On);
  EXPECT_FLOAT_EQ(back.Gain, 0.5);
  EXPECT_FLOAT_EQ(back.RegPct, 10);
  EXPECT_FLOAT_EQ(back.BandPct, 30);
  EXPECT_FLOAT_EQ(back.GiveUpFactor, 3);
  r.Value[profile::row::ShapingGain] = 40;
  r.Value[profile::row::ShapingBandPct] = std::nanf("");
  EXPECT_EQ(SettingsOf(r).Gain, 1.0);
  EXPECT_EQ(SettingsOf(r).BandPct, 45);
  EXPECT_EQ(OutOfBounds(Settings{}), nullptr);
  EXPECT_STREQ(OutOfBounds(Settings{true, 1.6, 3, 45, 2}), "Correction gain");
  EXPECT_STREQ(OutOfBounds(Settings{true, 1, 0.05, 45, 2}), "Regularisation");
  EXPECT_STREQ(OutOfBounds(Settings{true, 1, 3, 51, 2}), "Band limit");
  EXPECT_STREQ(OutOfBounds(Settings{true, 1, 3, 45, 1.1}), "Give-up factor");
}

// A record that is not finite teaches nothing and never reaches the drive.
TEST(Shaping, UnusableRecordIsSkipped) {
  State s;
  Workspace w;
  std::vector<float> q(kRecord, 0.1f), y(kRecord, 1), ref(kRecord, 1);
  y[10] = std::nanf("");
  const Outcome out =
      Learn(s, w, Settings{}, Pulse{q, y, ref, 10, 25, 0, true, true}, Next{10, 1, 10});
  EXPECT_EQ(out.step, Step::Skipped);
  EXPECT_EQ(s.Est.Pulses, 0);
  EXPECT_EQ(PeakOf(s.Drive), 0);
}
