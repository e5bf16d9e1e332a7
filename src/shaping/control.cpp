#include "shaping/control.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace shaping {

namespace {

// The record into doubles; false when a sample is missing or not finite.
bool Take(std::span<const float> from, std::array<double, kRecord>& to) {
  if (from.size() < static_cast<size_t>(kRecord)) return false;
  for (int i = 0; i < kRecord; ++i) {
    if (!std::isfinite(from[i])) return false;
    to[i] = from[i];
  }
  return true;
}

bool Positive(double v) {
  return v > 0 && std::isfinite(v);
}

// The next drive from the best one (volts per G) at `level`.
void DriveFromBest(State& s, double level) {
  for (int i = 0; i < kRecord; ++i) s.Drive[i] = static_cast<float>(s.BestDrive[i] * level);
}

// J over the last full-level pulses that fail: no 10 % fall over five of them ends the run.
bool Stalled(State& s, const Pulse& in, double j, double& fallPct) {
  if (!in.FullLevel || !in.Fails) {
    s.RecentCount = 0;
    return false;
  }
  if (s.RecentCount == kProgressPulses) {
    std::rotate(s.Recent.begin(), s.Recent.begin() + 1, s.Recent.end());
    --s.RecentCount;
  }
  s.Recent[s.RecentCount++] = j;
  if (s.RecentCount < kProgressPulses) return false;
  const double first = s.Recent[0];
  fallPct = first > 0 ? 100 * (1 - j / first) : 0;
  return !(j <= (1 - kProgressFall) * first);
}

}  // namespace

void Reset(State& s) {
  s = State{};
}

double ErrorWeight(int i, double pulseSamples) {
  const double t = pulseSamples;
  if (!Positive(t) || i <= 10 * t) return 1;
  if (i >= 11 * t) return 0;
  return 0.5 * (1 + std::cos(std::numbers::pi * (i - 10 * t) / t));
}

void SetTarget(State& s, Workspace& w, std::span<const float> reference, double level, int shift,
               double pulseSamples) {
  s.Target.fill(0);
  const int n = static_cast<int>(std::min<size_t>(reference.size(), kRecord));
  for (int i = 0; i < kRecord; ++i) {
    const long k = static_cast<long>(i) - shift;
    if (k >= 0 && k < n && std::isfinite(reference[k])) s.Target[i] = reference[k] / level;
    w.E[i] = ErrorWeight(i, pulseSamples) * s.Target[i];
  }
  w.Forward(w.E, w.X);
  for (int k = 0; k < kLines; ++k) s.TargetEnergy[k] = std::norm(w.X[k]);
  s.HasTarget = true;
}

double PeakOf(std::span<const float> x) {
  double peak = 0;
  for (float v : x) peak = std::isfinite(v) ? std::max(peak, std::fabs(double{v})) : HUGE_VAL;
  return peak;
}

namespace {

// The recorded pulse's error e = w (L target - y) against the target.
struct PulseError {
  double J = 0;       // sum of e^2, G^2
  double Target = 0;  // sum of (w L target)^2
  double Step = 1;    // least-squares level step g = <w L target, w y> / <w y, w y>
};

PulseError ErrorOf(State& s, Workspace& w, double level, double pulseSamples) {
  PulseError r;
  double ty = 0, yy = 0;
  for (int i = 0; i < kRecord; ++i) {
    const double wt = ErrorWeight(i, pulseSamples), t = wt * level * s.Target[i];
    const double y = wt * w.R[i];
    r.J += (t - y) * (t - y), ty += t * y, yy += y * y, r.Target += t * t;
  }
  if (yy > 0) r.Step = ty / yy;
  return r;
}

// The guard: back to the best drive when J grew past 1.5 x the best at this level (true);
// the gain halved when the correction overshot (the error turned over).
bool Guard(State& s, Workspace& w, const PulseError& e, double level, double pulseSamples,
           Outcome& out) {
  auto same = [&](double other) { return std::fabs(level - other) <= 1e-6 * level; };
  double cross = 0;
  for (int i = 0; i < kRecord; ++i) {
    const double now = ErrorWeight(i, pulseSamples) * (level * s.Target[i] - w.R[i]);
    cross += now * s.LastError[i];
    s.LastError[i] = now;
  }
  const double lastJ = s.LastJ * level * level;
  const bool overshot = s.Corrections > 0 && same(s.LastLevel) && lastJ > 0 &&
                        cross < kOvershoot * std::sqrt(e.J * lastJ);
  s.LastJ = out.J, s.LastLevel = level;
  if (!s.HasBest || !same(s.BestLevel) || out.J < s.BestJ) {
    s.HasBest = true, s.BestJ = out.J, s.BestLevel = level;
    for (int i = 0; i < kRecord; ++i) s.BestDrive[i] = w.Q[i] / level;
  } else if (out.J > kGuardGrowth * s.BestJ) {
    return true;
  }
  if (overshot) {
    ++s.Halvings;
    out.step = Step::Slowed;
  }
  return false;
}

// u = g q + alpha IFFT(Hinv FFT(w (L target - g y))), scaled to the next level, into
// State::Drive; false when it is not finite (an estimate gone wrong is never played).
bool Correct(State& s, Workspace& w, const Settings& set, double g, double level,
             double pulseSamples, double nextLevel) {
  const double alpha = set.Gain * std::ldexp(1.0, -s.Halvings);
  for (int i = 0; i < kRecord; ++i)
    w.E[i] = ErrorWeight(i, pulseSamples) * (level * s.Target[i] - g * w.R[i]);
  InvertResponse(s.Est, set, s.TargetEnergy, w);
  w.Forward(w.E, w.X);
  for (int k = 0; k < kLines; ++k) w.X[k] *= w.Inverse[k];
  w.Backward(w.X, w.U);
  const double toNext = nextLevel / level;
  bool finite = true;
  for (int i = 0; i < kRecord; ++i) {
    const double u = (g * w.Q[i] + alpha * w.U[i]) * toNext;
    finite = finite && std::isfinite(u);
    s.Drive[i] = static_cast<float>(u);
  }
  ++s.Corrections;
  return finite;
}

// The give-up rule on the next drive and on the progress of the failing full-level pulses.
void CheckGiveUp(State& s, const Settings& set, const Pulse& in, const Next& next, Outcome& out) {
  double fall = 0;
  const double peak = PeakOf(s.Drive);
  const double synth = next.SynthesisedPeakVolts;
  if (Positive(synth) && peak > set.GiveUpFactor * synth) {
    out.reason = Reason::DrivePeak, out.Measure = peak / synth, out.Limit = set.GiveUpFactor;
  } else if (!(peak <= next.LimitVolts)) {
    out.reason = Reason::DriveLimit, out.Measure = peak, out.Limit = next.LimitVolts;
  } else if (Stalled(s, in, out.J, fall)) {
    out.reason = Reason::NoProgress, out.Measure = fall, out.Limit = 100 * kProgressFall;
  }
  if (out.reason != Reason::None) out.step = Step::GiveUp;
}

}  // namespace

Outcome Learn(State& s, Workspace& w, const Settings& set, const Pulse& in, const Next& next) {
  Outcome out;
  const double level = in.Level;
  if (!Positive(level) || !Positive(next.Level) || !Take(in.Drive, w.Q) ||
      !Take(in.Response, w.R) || (!s.HasTarget && in.Reference.size() < kRecord)) {
    // Nothing learnt; the best drive (or none) is the next one.
    if (s.HasBest && Positive(next.Level))
      DriveFromBest(s, next.Level);
    else
      s.Drive.fill(0);
    return out;
  }
  AddPulse(s.Est, w, w.Q, w.R, in.PulseSamples);
  if (!s.HasTarget) SetTarget(s, w, in.Reference, level, in.ShiftSamples, in.PulseSamples);

  const PulseError e = ErrorOf(s, w, level, in.PulseSamples);
  out.J = e.J / (level * level);
  out.ErrorPct = e.Target > 0 ? 100 * std::sqrt(e.J / e.Target) : 0;
  // Only the first correction takes the level step; the later ones start from the drive.
  const double g = s.Corrections == 0 ? e.Step : 1;

  bool revert = Guard(s, w, e, level, in.PulseSamples, out);
  if (!revert) revert = !Correct(s, w, set, g, level, in.PulseSamples, next.Level);
  if (revert) {
    DriveFromBest(s, next.Level);
    ++s.Halvings;
    out.step = Step::Reverted;
  } else if (out.step != Step::Slowed) {
    out.step = Step::Shaped;
  }
  CheckGiveUp(s, set, in, next, out);
  out.Alpha = set.Gain * std::ldexp(1.0, -s.Halvings);
  return out;
}

}  // namespace shaping
