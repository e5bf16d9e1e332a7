#include "analysis/srs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using analysis::SrsInputs;
using analysis::SrsResult;
using analysis::SrsWindow;

constexpr double kPi = 3.141592653589793;

struct Record {
  std::unique_ptr<SrsInputs> in = std::make_unique<SrsInputs>();
  std::unique_ptr<SrsResult> out = std::make_unique<SrsResult>();
  double& operator[](int n) { return in->X[n][0]; }
  void Compute(double fs, double q, SrsWindow w = {}) { ComputeSrs(*in, fs, q, w, *out); }
  int IndexOf(double fn) const {
    for (int f = 0; f < out->Count; ++f)
      if (std::fabs(out->Frequency[f] / fn - 1) < 1e-9) return f;
    ADD_FAILURE() << fn << " Hz is not a spectrum frequency";
    return 0;
  }
};

// The peak absolute acceleration of the oscillator before, during and after the window, by
// fourth-order Runge-Kutta, with the input taken as straight lines between its samples and
// each sample interval cut into 64 steps (a step belongs to the part of its end sample, and
// each part starts from the response where the one before ended).
std::array<double, 3> PeaksByRungeKutta(const SrsInputs& in, double fs, double fn, double q,
                                        SrsWindow window) {
  const double w = 2 * kPi * fn, c = w / q, k = w * w;  // 2 zeta w = w / q
  const int steps = 64;
  const double h = 1 / (fs * steps);
  auto input = [&](int n, double s) {  // s in [0, 1] of the interval from sample n-1 to n
    const double a0 = n > 0 ? in.X[n - 1][0] : 0;
    return a0 + s * (in.X[n][0] - a0);
  };
  // Relative motion z'' = -a - c z' - k z; absolute acceleration = -(c z' + k z).
  auto acc = [&](double a, double zz, double vv) { return -a - c * vv - k * zz; };
  double z = 0, v = 0;
  std::array<double, 3> peaks{};
  for (int n = 0; n < analysis::kSrsRecordSamples; ++n) {
    const int part = n < window.First ? 0 : (n <= window.Last ? 1 : 2);
    double& peak = peaks[part];
    if (part > 0 && (n == window.First || n == window.Last + 1)) peak = std::fabs(c * v + k * z);
    for (int j = 0; j < steps; ++j) {
      const double a0 = input(n, double(j) / steps), a1 = input(n, (j + 0.5) / steps),
                   a2 = input(n, (j + 1.0) / steps);
      const double k1z = v, k1v = acc(a0, z, v);
      const double k2z = v + 0.5 * h * k1v, k2v = acc(a1, z + 0.5 * h * k1z, v + 0.5 * h * k1v);
      const double k3z = v + 0.5 * h * k2v, k3v = acc(a1, z + 0.5 * h * k2z, v + 0.5 * h * k2v);
      const double k4z = v + h * k3v, k4v = acc(a2, z + h * k3z, v + h * k3v);
      z += h / 6 * (k1z + 2 * k2z + 2 * k3z + k4z);
      v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
      peak = std::fmax(peak, std::fabs(c * v + k * z));
    }
  }
  return peaks;
}

TEST(Srs, FrequenciesAreTwelfthOctavesThroughAThousandHertz) {
  std::array<double, analysis::kSrsMaxFrequencies> f{};
  for (auto [fs, count] : {std::pair{10240.0, 84}, {5120.0, 72}, {1280.0, 48}}) {
    ASSERT_EQ(analysis::SrsFrequencies(fs, f), count) << fs;
    EXPECT_NEAR(f[0], 1000 * std::exp2(-79 / 12.0), 1e-9);  // the first at or above 10 Hz
    EXPECT_LE(f[count - 1], fs / 8);
    EXPECT_GT(f[count - 1] * std::exp2(1 / 12.0), fs / 8);
  }
  EXPECT_NEAR(f[79 - 12 * 3], 125, 1e-9);  // 1000 / 8 is on the series
}

// A pure half-sine: maximax / A against fn D agrees with an independent solution of the
// oscillator within 1 % up to a tenth of the sample rate; so do the primary and residual
// spectra (within 1 % or 0.1 % of A near their zeros), up to an eighth.
TEST(Srs, HalfSineSpectraMatchADirectSolution) {
  struct Case {
    double fs, durationMs, q;
  };
  for (const Case cs : {Case{10240, 10, 10}, Case{1280, 60, 10}, Case{5120, 6, 3}}) {
    Record r;
    const double samples = cs.durationMs * 1e-3 * cs.fs, a = 15;
    const int start = 100;
    const SrsWindow window{start, start + static_cast<int>(samples)};
    for (int n = start; n - start <= samples; ++n) r[n] = a * std::sin(kPi * (n - start) / samples);
    r.Compute(cs.fs, cs.q, window);
    for (int f = 0; f < r.out->Count; ++f) {
      const double fn = r.out->Frequency[f];
      const auto rk = PeaksByRungeKutta(*r.in, cs.fs, fn, cs.q, window);
      const double maximax = std::fmax(rk[1], rk[2]);
      const std::string where =
          std::to_string(cs.fs) + " Hz, fn D " + std::to_string(fn * cs.durationMs * 1e-3);
      if (fn <= cs.fs / 10) {
        EXPECT_NEAR(r.out->Maximax[f][0] / a, maximax / a, 0.01 * maximax / a) << where;
      }
      EXPECT_NEAR(r.out->Primary[f][0], rk[1], std::fmax(0.01 * rk[1], 0.001 * a)) << where;
      EXPECT_NEAR(r.out->Residual[f][0], rk[2], std::fmax(0.01 * rk[2], 0.001 * a)) << where;
    }
  }
}

// A step of acceleration: the absolute response overshoots to A (1 - g) at its first crest,
// g from the oscillator equation; with the step at the start of the main pulse that crest
// lies in it.
TEST(Srs, StepOvershootsAsTheOscillatorEquationSays) {
  const double fs = 10240, a = 2;
  const SrsWindow window{400, 460};
  for (double q : {2.0, 10.0, 50.0}) {
    Record r;
    for (int n = window.First; n < analysis::kSrsRecordSamples; ++n) r[n] = a;
    r.Compute(fs, q, window);
    for (double fn : {125.0, 250.0}) {
      const double zeta = 1 / (2 * q), root = std::sqrt(1 - zeta * zeta);
      // The first crest of 1 - e^(-zeta w t) (cos wd t - zeta / root sin wd t).
      const double phase = kPi - std::atan2(2 * zeta * root, 1 - 2 * zeta * zeta);
      const double g =
          std::exp(-zeta / root * phase) * (std::cos(phase) - zeta / root * std::sin(phase));
      const int f = r.IndexOf(fn);
      EXPECT_NEAR(r.out->Maximax[f][0], a * (1 - g), 0.005 * a) << "Q " << q << ", " << fn;
      EXPECT_DOUBLE_EQ(r.out->Primary[f][0], r.out->Maximax[f][0]);
      // After the pulse the response rings down about A, the crest there is lower.
      EXPECT_GT(r.out->Residual[f][0], a);
      EXPECT_LT(r.out->Residual[f][0], r.out->Maximax[f][0]);
    }
  }
}

// A single sample is an impulse of area A / fs: its first crest is A/fs w e^(-zeta (acos
// zeta - psi) / root); it belongs to the part of the record the sample lies in.
TEST(Srs, ImpulseLandsInThePartItHappensIn) {
  const double fs = 10240, a = 100, q = 10;
  const SrsWindow window{400, 460};
  const double zeta = 1 / (2 * q), root = std::sqrt(1 - zeta * zeta);
  const double psi = std::atan2(2 * zeta * root, 1 - 2 * zeta * zeta);
  auto crest = [&](double fn) {
    return a / fs * 2 * kPi * fn * std::exp(-zeta * (std::acos(zeta) - psi) / root);
  };
  Record during, after;
  during[window.First] = a;
  during.Compute(fs, q, window);
  after[window.Last + 1] = a;
  after.Compute(fs, q, window);
  for (double fn : {125.0, 250.0}) {
    const double w = 2 * kPi * fn, wd = w * root;
    const int f = during.IndexOf(fn);
    EXPECT_NEAR(during.out->Maximax[f][0], crest(fn), 0.01 * crest(fn)) << fn;
    EXPECT_DOUBLE_EQ(during.out->Primary[f][0], during.out->Maximax[f][0]);
    // The residual is the ringing after the pulse: its largest crest, from the formula.
    double ringing = 0;
    for (double t = (window.Last - window.First) / fs; t < 0.06; t += 1e-6)
      ringing = std::fmax(
          ringing, std::fabs(a / fs * w / root * std::exp(-zeta * w * t) * std::sin(wd * t + psi)));
    EXPECT_NEAR(during.out->Residual[f][0], ringing, 0.01 * ringing) << fn;

    EXPECT_EQ(after.out->Primary[f][0], 0);
    EXPECT_DOUBLE_EQ(after.out->Residual[f][0], after.out->Maximax[f][0]);
    EXPECT_NEAR(after.out->Maximax[f][0], crest(fn), 0.01 * crest(fn)) << fn;
  }
}

}  // namespace
