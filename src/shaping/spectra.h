#pragma once
// The averaged frequency response of shaker, fixture and specimen (H1 over every pulse of a
// profile), its noise weight and its regularised, band-limited inverse.
#include <array>
#include <complex>
#include <memory>
#include <span>

#include "shaping/settings.h"

namespace shaping {

inline constexpr int kRecord = 1024;  // samples of a pulse record
inline constexpr int kFft = 2048;     // zero-padded: a correction does not wrap round the end
inline constexpr int kLines = kFft / 2 + 1;

using Complex = std::complex<double>;
using Spectrum = std::array<Complex, kLines>;

// The sums of every pulse: the full-level pulses weigh most by their energy.
struct Estimate {
  std::array<double, kLines> Sxx{};
  Spectrum Syx{};
  double NoiseSum = 0;  // sigma^2 in G^2, summed over the pulses
  int Pulses = 0;
};

// The FFT's plans; the library's header stays out of every file that holds a Workspace.
struct FftPlan;
struct FftPlanDelete {
  void operator()(FftPlan* f) const;
};

// The FFT and the scratch of one correction, made once (the FFT's plans and buffers are
// sized on construction, nothing is allocated per pulse).
struct Workspace {
  std::unique_ptr<FftPlan, FftPlanDelete> Fft;
  std::array<double, kFft> Time{};
  Spectrum X{}, Y{};
  Spectrum Inverse{};                              // Hinv of the last InvertResponse
  std::array<double, kLines> Weight{};             // W of the last InvertResponse
  std::array<double, kRecord> Q{}, R{}, E{}, U{};  // records of one correction
  Workspace();
  // The record (the first kRecord samples of x, the rest 0) into its spectrum.
  void Forward(std::span<const double> x, Spectrum& out);
  // The first kRecord samples of the inverse transform into out.
  void Backward(const Spectrum& in, std::span<double> out);
};

// sigma^2 of a record from its quiet tail (from 11 T on, at least the last 64 samples): half
// the variance of the first difference, which a slow tail of the pulse hardly reaches.
double NoiseVariance(std::span<const double> y, double pulseSamples);

// Adds one pulse: q the drive played in volts, y the control channel in G.
void AddPulse(Estimate& e, Workspace& w, std::span<const double> q, std::span<const double> y,
              double pulseSamples);

// H of one line (G/V) and its noise weight W = SNR / (1 + SNR).
Complex ResponseAt(const Estimate& e, int line);
double NoiseWeight(const Estimate& e, int line);

// The band: a cosine rise from DC to the second line, flat to 0.8 f_hi, a cosine fall to 0
// at f_hi (bandPct of the sampling frequency).
double BandWeight(int line, double bandPct);

// Hinv = B W conj(H) / (|H|^2 + (beta Href)^2) into w.Inverse (and W into w.Weight). Href
// is the response where the pulse lives: the rms of |H| over the lines in band with SNR > 10,
// each weighted by `energy` (the target's |T|^2); without weights the largest such |H|. All 0
// when no line is usable.
void InvertResponse(const Estimate& e, const Settings& s, std::span<const double> energy,
                    Workspace& w);

}  // namespace shaping
