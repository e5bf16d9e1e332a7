#include "shaping/spectra.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unsupported/Eigen/FFT>

namespace shaping {

struct FftPlan {
  Eigen::FFT<double> F;
};
void FftPlanDelete::operator()(FftPlan* f) const {
  delete f;
}

Workspace::Workspace() : Fft(new FftPlan) {
  Fft->F.SetFlag(Eigen::FFT<double>::HalfSpectrum);
  // Plans and internal buffers are made here, not on the first pulse.
  Forward(std::span<const double>(Time.data(), kRecord), X);
  Backward(X, std::span<double>(Time.data(), kRecord));
}

void Workspace::Forward(std::span<const double> x, Spectrum& out) {
  const size_t n = std::min<size_t>(x.size(), kRecord);
  std::copy(x.begin(), x.begin() + n, Time.begin());
  std::fill(Time.begin() + n, Time.end(), 0.0);
  Fft->F.fwd(out.data(), Time.data(), kFft);
}

void Workspace::Backward(const Spectrum& in, std::span<double> out) {
  Fft->F.inv(Time.data(), in.data(), kFft);
  const size_t n = std::min<size_t>(out.size(), kRecord);
  std::copy(Time.begin(), Time.begin() + n, out.begin());
}

double NoiseVariance(std::span<const double> y, double pulseSamples) {
  const int n = static_cast<int>(std::min<size_t>(y.size(), kRecord));
  constexpr int kMinTail = 64;
  double from = std::ceil(11 * pulseSamples);
  if (!(from <= n - kMinTail)) from = n - kMinTail;  // also NaN
  int first = std::max(0, static_cast<int>(from));
  double sum = 0, sum2 = 0;
  int count = 0;
  for (int i = first + 1; i < n; ++i) {
    const double d = y[i] - y[i - 1];
    sum += d, sum2 += d * d, ++count;
  }
  if (count < 2) return 0;
  const double mean = sum / count;
  return 0.5 * std::max(0.0, sum2 / count - mean * mean);
}

void AddPulse(Estimate& e, Workspace& w, std::span<const double> q, std::span<const double> y,
              double pulseSamples) {
  w.Forward(q, w.X);
  w.Forward(y, w.Y);
  for (int k = 0; k < kLines; ++k) {
    e.Sxx[k] += std::norm(w.X[k]);
    e.Syx[k] += w.Y[k] * std::conj(w.X[k]);
  }
  e.NoiseSum += NoiseVariance(y, pulseSamples);
  ++e.Pulses;
}

Complex ResponseAt(const Estimate& e, int line) {
  if (line < 0 || line >= kLines || !(e.Sxx[line] > 0)) return 0;
  return e.Syx[line] / e.Sxx[line];
}

namespace {

double Snr(const Estimate& e, int line) {
  if (line < 0 || line >= kLines || !(e.Sxx[line] > 0) || e.Pulses == 0) return 0;
  const double sigma2 = e.NoiseSum / e.Pulses;
  const double signal = std::norm(ResponseAt(e, line)) * e.Sxx[line];
  // A record without noise (a simulation) makes every measured line usable.
  if (!(sigma2 > 0)) return signal > 0 ? HUGE_VAL : 0;
  return std::max(0.0, signal / (kRecord * sigma2) - 1);
}

}  // namespace

double NoiseWeight(const Estimate& e, int line) {
  const double snr = Snr(e, line);
  if (std::isinf(snr)) return 1;
  return snr / (1 + snr);
}

double BandWeight(int line, double bandPct) {
  const double hi = bandPct * 0.01 * kFft;  // f_hi in lines
  const double flat = 0.8 * hi;
  if (line <= 0 || !(line < hi)) return 0;
  if (line < 2) return 0.5 * (1 - std::cos(std::numbers::pi * line / 2));
  if (line <= flat) return 1;
  return 0.5 * (1 + std::cos(std::numbers::pi * (line - flat) / (hi - flat)));
}

void InvertResponse(const Estimate& e, const Settings& s, std::span<const double> energy,
                    Workspace& w) {
  const bool weighted = energy.size() >= static_cast<size_t>(kLines);
  double largest = 0, sum = 0, weights = 0;
  for (int k = 0; k < kLines; ++k) {
    w.Weight[k] = NoiseWeight(e, k);
    if (!(BandWeight(k, s.BandPct) > 0 && Snr(e, k) > 10)) continue;
    const double h = std::abs(ResponseAt(e, k));
    largest = std::max(largest, h);
    if (weighted) sum += energy[k] * h * h, weights += energy[k];
  }
  const double href = weighted && weights > 0 ? std::sqrt(sum / weights) : largest;
  const double reg = s.RegPct * 0.01 * href;
  for (int k = 0; k < kLines; ++k) {
    const Complex h = ResponseAt(e, k);
    const double den = std::norm(h) + reg * reg;
    const double scale = BandWeight(k, s.BandPct) * w.Weight[k];
    w.Inverse[k] = href > 0 && den > 0 && scale > 0 ? scale * std::conj(h) / den : Complex(0);
  }
}

}  // namespace shaping
