#include "analysis/srs.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// Looks per cycle of the oscillator: a sinusoid looked at 32 times a cycle shows its peak
// to within 0.5 %.
constexpr int kLooksPerCycle = 32;
constexpr int kMostSubSteps = 16;
constexpr double kTwoPi = 6.283185307179586;

using Lanes = std::array<double, kSrsLanes>;

// One oscillator over every lane; the peaks of |response| before, during and after the main
// pulse. Each sample interval is walked in `sub` steps along the straight line between its
// two samples, which the ramp-invariant recursion follows exactly.
void RunOscillator(const SrsInputs& in, const SrsCoefficients& c, int sub, const SrsWindow& w,
                   Lanes& pre, Lanes& primary, Lanes& residual) {
  alignas(64) double u1[kSrsLanes] = {}, u2[kSrsLanes] = {};
  alignas(64) double y1[kSrsLanes] = {}, y2[kSrsLanes] = {};
  alignas(64) double peak[kSrsLanes];
  static constexpr Lanes kRest{};

  // Each part begins where the one before it ended: the response at its last look is the
  // start of the next (0 at rest), so a response falling away from a boundary is seen at
  // its height there rather than one look later.
  auto part = [&](int from, int to, Lanes& out) {
    for (int k = 0; k < kSrsLanes; ++k) peak[k] = std::fabs(y1[k]);
    for (int n = from; n < to; ++n) {
      const double* x = in.X[n].data();
      const double* xp = n > 0 ? in.X[n - 1].data() : kRest.data();
      for (int j = 1; j <= sub; ++j) {
        const double t = static_cast<double>(j) / sub;
        for (int k = 0; k < kSrsLanes; ++k) {
          const double u = xp[k] + t * (x[k] - xp[k]);
          const double y = c.b0 * u + c.b1 * u1[k] + c.b2 * u2[k] - c.a1 * y1[k] - c.a2 * y2[k];
          u2[k] = u1[k];
          u1[k] = u;
          y2[k] = y1[k];
          y1[k] = y;
          const double a = std::fabs(y);
          peak[k] = a > peak[k] ? a : peak[k];
        }
      }
    }
    for (int k = 0; k < kSrsLanes; ++k) out[k] = peak[k];
  };

  const int n = kSrsRecordSamples;
  const int first = std::clamp(w.First, 0, n);
  const int end = std::clamp(w.Last + 1, first, n);
  part(0, first, pre);
  part(first, end, primary);
  part(end, n, residual);
}

}  // namespace

double SrsQualityFactor(double stored) {
  return (stored >= kSrsLowestQ && stored <= kSrsHighestQ) ? stored : kSrsDefaultQ;
}

int SrsFrequencies(double sampleRate, std::array<double, kSrsMaxFrequencies>& out) {
  int count = 0;
  if (!(sampleRate > 0)) return 0;
  const double highest = sampleRate / 8;
  for (int k = -120; k <= 120 && count < kSrsMaxFrequencies; ++k) {
    const double f = 1000 * std::exp2(k / 12.0);
    if (f < kSrsLowestHz) continue;
    if (f > highest) break;
    out[count++] = f;
  }
  return count;
}

SrsCoefficients RampInvariant(double fn, double q, double h) {
  const double w = kTwoPi * fn;
  const double zeta = 1 / (2 * q);
  const double a = zeta * w * h;
  const double b = w * h * std::sqrt(1 - zeta * zeta);
  const double e = std::exp(-a);
  const double ee = e * e;
  const double sinc = e * std::sin(b) / b;
  const double cosine = e * std::cos(b);
  return {1 - sinc, 2 * (sinc - cosine), ee - sinc, -2 * cosine, ee};
}

int SrsSubSteps(double fn, double sampleRate) {
  if (!(fn > 0) || !(sampleRate > 0)) return 1;
  const double steps = std::ceil(kLooksPerCycle * fn / sampleRate);
  return static_cast<int>(std::clamp(steps, 1.0, static_cast<double>(kMostSubSteps)));
}

void ComputeSrs(const SrsInputs& in, double sampleRate, double q, const SrsWindow& window,
                SrsResult& out) {
  out.SampleRate = sampleRate;
  out.Q = SrsQualityFactor(q);
  out.Count = SrsFrequencies(sampleRate, out.Frequency);
  for (int f = 0; f < out.Count; ++f) {
    const double fn = out.Frequency[f];
    const int sub = SrsSubSteps(fn, sampleRate);
    const SrsCoefficients c = RampInvariant(fn, out.Q, 1 / (sampleRate * sub));
    Lanes pre, primary, residual;
    RunOscillator(in, c, sub, window, pre, primary, residual);
    for (int k = 0; k < kSrsLanes; ++k) {
      out.Primary[f][k] = primary[k];
      out.Residual[f][k] = residual[k];
      out.Maximax[f][k] = std::max({pre[k], primary[k], residual[k]});
    }
  }
}

}  // namespace analysis
