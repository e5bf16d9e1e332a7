#include "analysis/acceptance.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"

namespace analysis {

namespace {

// Whole samples i with from <= i <= to inside the record; empty when last < first.
struct Span {
  int first, last;
};

Span SamplesBetween(double from, double to, int n) {
  if (!(from <= to) || n <= 0) return {0, -1};
  const double f = std::max(0.0, std::ceil(from)), l = std::min(n - 1.0, std::floor(to));
  if (!(f <= l)) return {0, -1};
  return {static_cast<int>(f), static_cast<int>(l)};
}

double Pct(double measured, double nominal) {
  if (nominal != 0) return 100 * measured / nominal;
  return measured == 0 ? 100 : 9999;
}

bool Within(double pct, double tolerance) {
  return std::fabs(pct - 100) <= tolerance;  // false for NaN
}

// A record read with a shift; samples beyond its ends are 0.
struct Shifted {
  std::span<const float> x;
  int shift;
  double operator()(int i) const {
    const long k = static_cast<long>(i) + shift;
    return k >= 0 && k < static_cast<long>(x.size()) ? x[k] : 0.0;
  }
};

// Index of the largest |x| in the span (the first of equals).
template <class X>
int PeakIndex(const X& x, Span s) {
  int at = s.first;
  double best = -1;
  for (int i = s.first; i <= s.last; ++i)
    if (std::fabs(x(i)) > best) best = std::fabs(x(i)), at = i;
  return at;
}

// Samples from the first crossing of 10 % of the peak (in the peak's sign) up to the last
// one, both inside `search`, interpolated linearly; a pulse still above at the edge of
// the search counts from that edge.
template <class X>
double WidthSamples(const X& x, Span search, int peakAt) {
  const double peak = x(peakAt);
  const double sign = peak < 0 ? -1 : 1, h = 0.1 * std::fabs(peak);
  auto y = [&](int i) { return sign * x(i); };
  int i = search.first;
  while (i < peakAt && y(i) < h) ++i;
  double t1 = i;
  if (i > search.first) t1 = (i - 1) + (h - y(i - 1)) / (y(i) - y(i - 1));
  int j = search.last;
  while (j > peakAt && y(j) < h) --j;
  double t2 = j;
  if (j < search.last) t2 = j + (y(j) - h) / (y(j) - y(j + 1));
  return t2 - t1;
}

template <class X>
double Integral(const X& x, Span s) {
  double sum = 0;
  for (int i = s.first; i < s.last; ++i) sum += 0.5 * (x(i) + x(i + 1));
  return sum;
}

// The whole-sample shift within +-maxShift that maximises the correlation over `main`;
// of equal sums the smallest shift wins.
int BestShift(std::span<const float> ref, std::span<const float> resp, Span main, int maxShift) {
  const int n = static_cast<int>(resp.size());
  auto correlation = [&](int s) {
    // Only the samples whose shifted partner lies in the record contribute.
    const int first = std::max(main.first, -s), last = std::min(main.last, n - 1 - s);
    // Four partial sums in a fixed order: the loop runs in vector lanes, and the result
    // does not depend on how the compiler arranges it.
    double part[4] = {0, 0, 0, 0};
    int i = first;
    for (; i + 3 <= last; i += 4)
      for (int k = 0; k < 4; ++k) part[k] += static_cast<double>(ref[i + k]) * resp[i + k + s];
    for (; i <= last; ++i) part[0] += static_cast<double>(ref[i]) * resp[i + s];
    return (part[0] + part[1]) + (part[2] + part[3]);
  };
  int best = 0;
  double bestSum = correlation(0);
  for (int k = 1; k <= maxShift; ++k)
    for (int s : {k, -k}) {
      const double c = correlation(s);
      if (c > bestSum) bestSum = c, best = s;
    }
  return best;
}

// Where the reference jumps (between samples i and i + 1: i + 0.5) inside `s`; at most
// kMaxJumps, the first ones.
constexpr int kMaxJumps = 16;
struct Jumps {
  double At[kMaxJumps] = {};
  int Count = 0;
};

template <class X>
Jumps JumpsOf(const X& x, Span s, double nominalPeak) {
  Jumps j;
  for (int i = s.first; i < s.last && j.Count < kMaxJumps; ++i)
    if (std::fabs(x(i + 1) - x(i)) > 0.5 * nominalPeak) j.At[j.Count++] = i + 0.5;
  return j;
}

bool NearAJump(const Jumps& j, int i, double allowance) {
  for (int k = 0; k < j.Count; ++k)
    if (std::fabs(i - j.At[k]) <= allowance) return true;
  return false;
}

}  // namespace

double VelocityPerGSecond(float unitSystem) {
  return unitSystem == 1 || unitSystem == 2 ? kCentimetresPerSecondPerG : kInchesPerSecondPerG;
}

double BandHalfWidth(const PulseTraces& r, const Tolerances& tol, double nominalPeak, int i) {
  const double d = r.PulseSamples, from = 4 * d, to = 5 * d;
  if (!(i >= from - tol.WindowBefore * d && i <= to + tol.WindowAfter * d)) return -1;
  const bool inside = i >= from && i <= to;
  return (inside ? tol.BandInsidePct : tol.BandOutsidePct) * 0.01 * std::fabs(nominalPeak);
}

AcceptanceResult JudgePulse(const PulseTraces& r, const Tolerances& tol) {
  AcceptanceResult out;
  const int n = static_cast<int>(std::min(r.Reference.size(), r.Response.size()));
  const std::span<const float> ref = r.Reference.first(n), resp = r.Response.first(n);
  const double d = r.PulseSamples, from = 4 * d, to = 5 * d;
  const double msPerSample = r.SampleRate > 0 ? 1000 / r.SampleRate : 0;
  const Span main = SamplesBetween(from, to, n);
  if (main.last < main.first || !(r.SampleRate > 0)) {
    out.verdict = Verdict::FailPeak;  // no main pulse in the record: nothing can pass
    return out;
  }

  const int maxShift = static_cast<int>(std::floor(std::min(d / 2, 1.0 * n)));
  out.ShiftSamples = BestShift(ref, resp, main, maxShift);
  out.ShiftMs = out.ShiftSamples * msPerSample;
  const Shifted x{resp, out.ShiftSamples}, nominal{ref, 0};

  const int peakAt = PeakIndex(x, main), nominalAt = PeakIndex(nominal, main);
  out.PeakG = std::fabs(x(peakAt));
  out.NominalPeakG = std::fabs(nominal(nominalAt));
  out.PeakPct = Pct(out.PeakG, out.NominalPeakG);

  const Span search = SamplesBetween(from - d / 2, to + d / 2, n);
  out.WidthMs = WidthSamples(x, search, peakAt) * msPerSample;
  out.NominalWidthMs = WidthSamples(nominal, search, nominalAt) * msPerSample;
  out.WidthPct = Pct(out.WidthMs, out.NominalWidthMs);

  const Span vel = SamplesBetween(from - 0.4 * d, to + 0.1 * d, n);
  const double perSample = r.VelocityPerG / r.SampleRate;
  out.VelocityChange = Integral(x, vel) * perSample;
  out.NominalVelocityChange = Integral(nominal, vel) * perSample;
  out.VelocityChangePct = Pct(out.VelocityChange, out.NominalVelocityChange);

  const Span band = SamplesBetween(from - tol.WindowBefore * d, to + tol.WindowAfter * d, n);
  const double allowance = tol.EdgePct > 0 ? tol.EdgePct * 0.01 * d : 0;
  const Jumps jumps = allowance > 0 ? JumpsOf(nominal, band, out.NominalPeakG) : Jumps{};
  double worst = -1;
  for (int i = band.first; i <= band.last; ++i) {
    if (jumps.Count > 0 && NearAJump(jumps, i, allowance)) continue;
    const double dev = x(i) - nominal(i), limit = BandHalfWidth(r, tol, out.NominalPeakG, i);
    const bool outside = !(std::fabs(dev) <= limit);
    out.SamplesOutside += outside;
    // The worst sample is the one furthest beyond (or least inside) its own limit.
    const double ratio = limit > 0 ? std::fabs(dev) / limit : (outside ? 1e300 : 0);
    if (ratio > worst) {
      worst = ratio;
      out.WorstBandPct = out.NominalPeakG > 0 ? 100 * dev / out.NominalPeakG : 0;
      out.WorstBandMs = i * msPerSample;
    }
  }

  if (!(out.NominalPeakG > 0) || !Within(out.PeakPct, tol.PeakPct))
    out.verdict = Verdict::FailPeak;
  else if (!Within(out.WidthPct, tol.WidthPct))
    out.verdict = Verdict::FailWidth;
  else if (!Within(out.VelocityChangePct, tol.VelocityPct))
    out.verdict = Verdict::FailVelocity;
  else if (out.SamplesOutside > 0)
    out.verdict = Verdict::FailBand;
  return out;
}

const char* VerdictCell(Verdict v) {
  switch (v) {
    case Verdict::Pass:
      return kPassText;
    case Verdict::FailPeak:
      return "FAIL peak";
    case Verdict::FailWidth:
      return "FAIL width";
    case Verdict::FailVelocity:
      return "FAIL velocity change";
    case Verdict::FailBand:
      return "FAIL band";
  }
  return kFailText;
}

const char* VerdictName(Verdict v) {
  switch (v) {
    case Verdict::FailPeak:
      return "PEAK";
    case Verdict::FailWidth:
      return "WIDTH";
    case Verdict::FailVelocity:
      return "VELOCITY CHANGE";
    case Verdict::FailBand:
      return "BAND";
    case Verdict::Pass:
      break;
  }
  return "";
}

double VerdictFigure(const AcceptanceResult& r) {
  switch (r.verdict) {
    case Verdict::FailPeak:
      return r.PeakPct;
    case Verdict::FailWidth:
      return r.WidthPct;
    case Verdict::FailVelocity:
      return r.VelocityChangePct;
    case Verdict::FailBand:
      return r.WorstBandPct;
    case Verdict::Pass:
      break;
  }
  return 0;
}

std::string VerdictWord(Verdict v) {
  if (v == Verdict::Pass) return kPassText;
  return std::string(kFailText) + " " + VerdictName(v);
}

std::string FailingMeasure(const AcceptanceResult& r) {
  return std::string(VerdictName(r.verdict)) + " " +
         std::to_string(common::ToInt32(VerdictFigure(r))) + " %";
}

std::string VerdictText(const AcceptanceResult& r) {
  if (r.verdict == Verdict::Pass) return "TOLERANCE PASS";
  return "TOLERANCE FAIL - " + FailingMeasure(r);
}

}  // namespace analysis
