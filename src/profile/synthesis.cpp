#include "profile/synthesis.h"

#include <cfloat>
#include <cmath>

#include "common/rounding.h"

namespace profile {

namespace {

// A code that is none of 1..4 (a damaged profile file) would give a factor that divides
// by zero in the drive or a time base no board scans at; it is read as 5.12 kHz, the rate
// the board set-up also assumes for it.
int16_t FactorOfCode(float code) {
  if (code == 1) return 1;
  if (code == 2) return 2;
  if (code == 4) return 8;
  return 4;
}

float AutoCompLevel(float shape) {
  if (shape == 1 || shape == 6) return 0.167f;
  if (shape == 5) return 0.2358f;
  if (shape == 7) return 0.085f;
  return 0.131f;
}

float ClipToBand(float r, float c) {
  if (r > c) return c;
  if (r < -c) return -c;
  return r;
}

struct Clip {
  bool On;
  float Pre, Post;
};

// The normalised main pulse (1.0 = peak) between 4T and 5T.
float MainPulse(float shape, float i, float t) {
  float u = (i - 4 * t) / t;
  float tail = (5 * t - i) / t;
  if (shape == 1) return std::sin(3.14159f * u);
  if (shape == 2) return u;
  if (shape == 3) return tail;
  if (shape == 4) return i < 4.5f * t ? 2 * u : 2 * tail;
  if (shape == 5) {
    if (i < 4.1f * t) return 10 * u;
    if (i < 4.9f * t) return 1.0f;
    return 10 * tail;
  }
  if (shape == 6) return std::sin(1.57079f * u);
  if (shape == 7) {
    float h = i < 4.5f * t ? 2 * u : 2 * tail;
    return h * h;
  }
  return 0;
}

// One normalised sample of a built-in shape. Every comparison with a multiple of T is in
// single precision: the segment edges fall where the operator's plot shows them.
float BuiltInSample(float shape, float i, float t, const Clip& clip) {
  if (shape == 8) {
    if (i >= 8 * t) return 0;
    return 0.5f * (1 - std::cos(0.25f * 3.14159f * i / t)) * std::sin(2 * 3.14159f * i / t);
  }
  float r = 0;
  if (0 <= i && i < t) r = std::sin(3.14156f * i / t);
  if (t <= i && i < 4 * t) r = -std::sin(1.0472f * (i - t) / t);
  if (clip.On && i < 4 * t) r = ClipToBand(r, clip.Pre);
  if (4 * t <= i && i < 5 * t) r = MainPulse(shape, i, t);
  if (5 * t <= i && i < 8 * t) r = -std::sin(1.0472f * (i - 5 * t) / t);
  if (8 * t <= i && i < 9 * t) r = std::sin(3.14156f * (i - 8 * t) / t);
  if (clip.On && 5 * t <= i && i < 9 * t) r = ClipToBand(r, clip.Post);
  if (i >= 9 * t) r = 0;
  return r;
}

// Infinite or undefined samples (a wild custom file, a damaged duration) would keep the
// drive passes from ever fitting the code range; they are held to the float range.
float Finite(double v) {
  if (std::isnan(v)) return 0;
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

// d of one sample, carried in double: a custom shape of large samples takes the first
// passes far beyond 16 bits before the scale brings it into range.
double DriveValue(double x, int k, float ref, double sum) {
  return common::RoundHalfEven(x * k * ref + x * 0.075 * sum);
}

}  // namespace

void SynthesizePulse(Program& p) {
  auto& w = p.wave;
  const float shape = p.Row(row::PulseShape);
  w.SampleFactor = FactorOfCode(p.Row(row::SampleRateCode));
  // The scan rate follows the code in force, also after a profile was loaded.
  p.daq.AdcRate = 1280 * w.SampleFactor;
  const float t = p.Row(row::PulseDuration) * 1.28f * static_cast<float>(w.SampleFactor);
  w.PulseSamples = t;
  w.CompLevelInEffect = AutoCompLevel(shape);

  const float mode = p.Row(row::CompMode);
  Clip clip{false, 0, 0};
  if (mode == 0) clip = {true, w.CompLevelInEffect, w.CompLevelInEffect};
  if (mode == 1)
    clip = {true, p.Row(row::PreCompPercent) * 0.01f, p.Row(row::PostCompPercent) * 0.01f};

  for (int i = 0; i < kWaveSamples; ++i) {
    double v;
    if (shape == 9)
      v = 80.0f * p.profile.CustomShape[i];
    else
      v = 80 * BuiltInSample(shape, static_cast<float>(i), t, clip);
    w.ReferencePulse[i] = Finite(v);
  }

  // The running sum does not depend on the scale: one sum serves every pass.
  std::array<double, kWaveSamples> sumBefore;
  const int k = common::ToInt16(p.Row(row::LoadCompensation) * 0.5);
  const double perSample = 0.25 * w.SampleFactor;
  double s = 0;
  int worst = 0;
  double worstValue = -1;
  for (int i = 0; i < kWaveSamples; ++i) {
    sumBefore[i] = s;
    double a = std::fabs(DriveValue(1, k, w.ReferencePulse[i], s));
    if (a > worstValue) worstValue = a, worst = i;
    s += w.ReferencePulse[i] / perSample;
  }

  const bool negative = p.Row(row::Polarity) == 2;
  auto drivePass = [&](double x) {
    double largest = 0;
    for (int i = 0; i < kWaveSamples; ++i) {
      double d = DriveValue(x, k, w.ReferencePulse[i], sumBefore[i]);
      if (std::fabs(d) > largest) largest = std::fabs(d);
      // Only the last pass keeps its codes, and there |d| <= 127; the bounds only keep a
      // rejected pass from converting an out-of-range value.
      double c = 128 + (negative ? d : -d);
      w.DriveCodes[i] = static_cast<int16_t>(c < 1 ? 1 : (c > 255 ? 255 : c));
    }
    return largest;
  };

  // A pass whose largest sample is already 128 or more needs no full evaluation: the
  // scale goes on down by 0.9 exactly as if it had run.
  constexpr int kMaxPasses = 5000;  // finite samples fit in well under 1000
  double x = 1;
  for (int pass = 0;; ++pass) {
    if (pass == kMaxPasses) {
      x = 0;
      drivePass(x);
      break;
    }
    if (std::fabs(DriveValue(x, k, w.ReferencePulse[worst], sumBefore[worst])) < 128 &&
        drivePass(x) < 128)
      break;
    x *= 0.9;
  }
  w.DriveScale = x;
  w.DriveSynthesized = true;
}

}  // namespace profile
