#pragma once
// Shock response spectra: the peak absolute acceleration of a bank of single-degree-of-
// freedom oscillators, each driven by the whole record, by its main pulse and by what
// follows it. Plain data with fixed bounds; nothing here allocates.
#include <array>
#include <cstdint>

namespace analysis {

inline constexpr int kSrsRecordSamples = 1024;  // a record is always 1024 samples
inline constexpr int kSrsLanes = 18;            // reference + 16 channels, rounded up to even
inline constexpr int kSrsMaxFrequencies = 96;   // 10 Hz to 1280 Hz at 1/12 octave is 84
inline constexpr double kSrsLowestHz = 10;
inline constexpr double kSrsDefaultQ = 10;
inline constexpr double kSrsLowestQ = 2;
inline constexpr double kSrsHighestQ = 50;

// The inputs, sample by sample, one lane per input: lane 0 the reference, lane c channel c.
// A lane that is not used holds zeros.
struct SrsInputs {
  alignas(64) std::array<std::array<double, kSrsLanes>, kSrsRecordSamples> X{};
};

// Samples First..Last (both included) are the main pulse; before it the pre-pulse part,
// after it the residual part.
struct SrsWindow {
  int First = 0;
  int Last = -1;
};

// The three spectra of every lane, by frequency index.
struct SrsResult {
  int Count = 0;  // natural frequencies in use
  double SampleRate = 0;
  double Q = kSrsDefaultQ;
  std::array<double, kSrsMaxFrequencies> Frequency{};
  std::array<std::array<double, kSrsLanes>, kSrsMaxFrequencies> Maximax{};
  std::array<std::array<double, kSrsLanes>, kSrsMaxFrequencies> Primary{};
  std::array<std::array<double, kSrsLanes>, kSrsMaxFrequencies> Residual{};
};

// The natural frequencies: the 1/12-octave series through 1000 Hz (1000 x 2^(k/12)) from
// 10 Hz up to a eighth of the sample rate. Returns how many were written.
int SrsFrequencies(double sampleRate, std::array<double, kSrsMaxFrequencies>& out);

// Ramp-invariant recursion of the absolute acceleration of an oscillator with natural
// frequency fn and quality factor q, for a step of h seconds:
// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]. It is exact for an input
// that is linear between samples.
struct SrsCoefficients {
  double b0, b1, b2, a1, a2;
};
SrsCoefficients RampInvariant(double fn, double q, double h);

// Sub-steps per sample interval at natural frequency fn, so that the response is looked at
// often enough per cycle for its peak not to fall between two looks.
int SrsSubSteps(double fn, double sampleRate);

// The spectra of all lanes at quality factor q (a value outside 2..50 counts as 10). The
// oscillators start at rest and the input rises from 0 to the first sample.
void ComputeSrs(const SrsInputs& in, double sampleRate, double q, const SrsWindow& window,
                SrsResult& out);

// Q as it is used: a value outside the bounds (0 in a profile that never set it) is the
// default.
double SrsQualityFactor(double stored);

}  // namespace analysis
