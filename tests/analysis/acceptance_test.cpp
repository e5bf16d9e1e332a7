#include "analysis/acceptance.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {

using analysis::JudgePulse;
using analysis::Verdict;

constexpr int kN = 1024;
constexpr double kRate = 5120;        // samples per second
constexpr double kD = 11 * 1.28 * 4;  // an 11 ms pulse: 56.32 samples
constexpr double kA = 50;             // G

// A half-sine of peak `a` and `width` samples centred on the main pulse.
std::array<float, kN> HalfSine(double a, double width) {
  std::array<float, kN> x{};
  const double mid = 4.5 * kD;
  for (int i = 0; i < kN; ++i) {
    const double t = (i - (mid - width / 2)) / width;
    if (t > 0 && t < 1) x[i] = static_cast<float>(a * std::sin(std::numbers::pi * t));
  }
  return x;
}

struct Case {
  std::array<float, kN> ref = HalfSine(kA, kD), resp = ref;
  analysis::AcceptanceResult Judge(const analysis::Tolerances& tol = {}) const {
    analysis::PulseTraces r;
    r.Reference = ref;
    r.Response = resp;
    r.SampleRate = kRate;
    r.PulseSamples = kD;
    return JudgePulse(r, tol);
  }
};

TEST(Acceptance, ACopyPassesAndADelayedCopyPassesWithItsShift) {
  Case c;
  auto r = c.Judge();
  EXPECT_EQ(r.verdict, Verdict::Pass);
  EXPECT_EQ(r.ShiftMs, 0);
  EXPECT_DOUBLE_EQ(r.PeakPct, 100);
  EXPECT_DOUBLE_EQ(r.WidthPct, 100);
  EXPECT_DOUBLE_EQ(r.VelocityChangePct, 100);
  EXPECT_EQ(r.SamplesOutside, 0);
  // The 10 % width of a half-sine: D (1 - 2 asin(0.1) / pi), within a sample's error.
  EXPECT_NEAR(r.NominalWidthMs, 11 * (1 - 2 * std::asin(0.1) / std::numbers::pi), 0.02);

  for (int i = kN - 1; i >= 3; --i) c.resp[i] = c.resp[i - 3];
  r = c.Judge();
  EXPECT_EQ(r.verdict, Verdict::Pass);
  EXPECT_EQ(r.ShiftSamples, 3);
  EXPECT_DOUBLE_EQ(r.ShiftMs, 3000 / kRate);
  EXPECT_EQ(r.SamplesOutside, 0);

  // A negative pulse is judged by its magnitude.
  for (auto* x : {&c.ref, &c.resp})
    for (float& v : *x) v = -v;
  EXPECT_EQ(c.Judge().verdict, Verdict::Pass);
}

TEST(Acceptance, EachMeasureFailsOnItsOwnFault) {
  Case low;
  for (float& v : low.resp) v *= 0.8f;
  auto r = low.Judge();
  EXPECT_EQ(r.verdict, Verdict::FailPeak);
  EXPECT_NEAR(r.PeakPct, 80, 1e-4);
  EXPECT_STREQ(analysis::VerdictName(r.verdict), "PEAK");

  Case wide;
  wide.resp = HalfSine(kA, 1.3 * kD);
  r = wide.Judge();
  EXPECT_EQ(r.verdict, Verdict::FailWidth);
  EXPECT_NEAR(r.WidthPct, 130, 1.5);
  EXPECT_NEAR(r.PeakPct, 100, 0.1);

  // A tenth of the peak added over the velocity window, 0.4 D before to 0.1 D after.
  Case offset;
  const int first = static_cast<int>(std::ceil(3.6 * kD)), last = static_cast<int>(5.1 * kD);
  for (int i = first; i <= last; ++i) offset.resp[i] += static_cast<float>(kA / 10);
  r = offset.Judge();
  EXPECT_EQ(r.verdict, Verdict::FailVelocity);
  EXPECT_EQ(r.ShiftSamples, 0);
  const double g = analysis::kInchesPerSecondPerG;
  // By hand: the half-sine's area 2 A D / pi, and the offset's A/10 over last - first samples.
  EXPECT_NEAR(r.NominalVelocityChange, 2 * kA * g * (kD / kRate) / std::numbers::pi, 0.05);
  EXPECT_NEAR(r.VelocityChange - r.NominalVelocityChange, kA / 10 * g * (last - first) / kRate,
              1e-3);
  EXPECT_NEAR(r.VelocityChangePct,
              100 * (1 + (kA / 10) * (last - first) / (2 * kA * kD / std::numbers::pi)), 0.2);

  // One spike of 30 % of A after the pulse, inside the band window only.
  Case spike;
  const int at = static_cast<int>(5.8 * kD);
  spike.resp[at] += static_cast<float>(0.3 * kA);
  r = spike.Judge();
  EXPECT_EQ(r.verdict, Verdict::FailBand);
  EXPECT_EQ(r.SamplesOutside, 1);
  EXPECT_NEAR(r.WorstBandPct, 100 * 0.3 * kA / r.NominalPeakG, 1e-4);  // A: the largest sample
  EXPECT_DOUBLE_EQ(r.WorstBandMs, at * 1000 / kRate);
  // Beyond the window the same spike is not judged; a wider window catches it.
  analysis::Tolerances narrow;
  narrow.WindowAfter = 0.5;
  EXPECT_EQ(spike.Judge(narrow).verdict, Verdict::Pass);
}

TEST(Acceptance, ARecordWithoutAMainPulseNeverPasses) {
  Case c;
  analysis::PulseTraces r;
  r.Reference = c.ref;
  r.Response = c.resp;
  r.SampleRate = kRate;
  for (double d : {0.0, -5.0, 300.0, std::nan("")}) {
    r.PulseSamples = d;
    EXPECT_NE(JudgePulse(r, {}).verdict, Verdict::Pass) << d;
  }
  // A silent reference (an amplitude of 0) fails on its peak.
  c.ref.fill(0);
  c.resp.fill(0);
  EXPECT_EQ(c.Judge().verdict, Verdict::FailPeak);
}

}  // namespace

// A terminal-peak sawtooth whose response falls over a few samples fails the band at the fall;
// an edge allowance leaves those samples out, and only those.
TEST(Acceptance, EdgeAllowanceLeavesOutTheReferencesJumps) {
  Case c;
  c.ref.fill(0);
  const int from = static_cast<int>(std::ceil(4 * kD)), to = static_cast<int>(5 * kD);
  for (int i = from; i <= to; ++i) c.ref[i] = static_cast<float>(kA * (i - 4 * kD) / kD);
  c.resp = c.ref;
  for (int k = 1; k <= 3; ++k) c.resp[to + k] = static_cast<float>(c.ref[to] * (1 - k / 4.0));
  analysis::Tolerances tol;
  const auto strict = c.Judge(tol);
  EXPECT_EQ(strict.verdict, Verdict::FailBand);
  tol.EdgePct = 10;  // +-5.6 samples about the fall
  const auto allowed = c.Judge(tol);
  EXPECT_EQ(allowed.verdict, Verdict::Pass);
  EXPECT_EQ(allowed.PeakPct, strict.PeakPct);
  EXPECT_EQ(allowed.VelocityChangePct, strict.VelocityChangePct);
  // A fault away from the jump still fails.
  c.resp[from + 10] += static_cast<float>(0.3 * kA);
  EXPECT_EQ(c.Judge(tol).verdict, Verdict::FailBand);
}
