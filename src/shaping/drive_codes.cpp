#include "shaping/drive_codes.h"

#include <algorithm>
#include <cmath>

namespace shaping {

namespace {

constexpr int kZeroCode = 128;
constexpr int kCodeSpan = 127;  // codes 1..255: at most 127 either side of 128

int32_t Bounded(int32_t counts) {
  return std::clamp<int32_t>(counts, 0, kMaxCounts);
}

}  // namespace

void VoltsOfCodes(std::span<const int16_t> codes, int32_t counts, std::span<float> volts) {
  const double perCode = Bounded(counts) / kCountsPerVolt / 128;
  const size_t n = std::min(codes.size(), volts.size());
  for (size_t i = 0; i < n; ++i) {
    const int c = std::clamp<int>(codes[i], 1, 255);
    volts[i] = static_cast<float>((c - kZeroCode) * perCode);
  }
}

double PeakVoltsAt(int32_t counts) {
  return Bounded(counts) / kCountsPerVolt * kCodeSpan / 128;
}

Realised Realise(std::span<const float> volts, int32_t limitCounts, std::span<int16_t> codes) {
  Realised r;
  const int32_t limit = Bounded(limitCounts);
  const size_t n = std::min(volts.size(), codes.size());
  double peak = 0;
  for (size_t i = 0; i < n; ++i) {
    if (std::isfinite(volts[i]))
      peak = std::max(peak, std::fabs(double{volts[i]}));
    else
      r.Limited = true;
  }
  // The least level whose code span holds the peak.
  const double need = std::ceil(peak * kCountsPerVolt * 128 / kCodeSpan * (1 - 1e-6));
  r.Counts = need <= limit ? static_cast<int32_t>(need) : limit;
  if (need > limit) r.Limited = true;
  std::fill(codes.begin(), codes.end(), static_cast<int16_t>(kZeroCode));
  if (r.Counts == 0 || !(peak > 0)) return r;
  // Codes per volt; beyond the limit the whole drive is scaled to the largest peak it plays.
  const double perVolt = std::min(128 * kCountsPerVolt / r.Counts, kCodeSpan / peak);
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(volts[i])) continue;
    const double c = kZeroCode + std::round(volts[i] * perVolt);
    codes[i] = static_cast<int16_t>(std::clamp(c, 1.0, 255.0));
  }
  return r;
}

}  // namespace shaping
