#pragma once
// A drive in volts and the output's codes: 1..255 about 128 (a code below 128 is a negative
// volt) at a drive level of 400 counts per volt, as the output buffer and the drive level
// play them.
#include <cstdint>
#include <span>

namespace shaping {

inline constexpr double kCountsPerVolt = 400;
inline constexpr int32_t kMaxCounts = 4000;

// The volts the output plays for each code at `counts` (codes held to 1..255 as the output
// buffer holds them).
void VoltsOfCodes(std::span<const int16_t> codes, int32_t counts, std::span<float> volts);

// The largest |volts| a drive level of `counts` can play (code 1 or 255).
double PeakVoltsAt(int32_t counts);

struct Realised {
  int32_t Counts = 0;    // the drive level: the least that plays the drive's peak
  bool Limited = false;  // the drive was scaled down to the limit, or had samples not finite
};

// The codes of a drive (every code in 1..255; codes past the drive's samples 128) and its
// drive level, never above limitCounts nor 4000. A drive beyond the limit is scaled down
// whole, keeping its shape; a sample that is not finite plays as 0.
Realised Realise(std::span<const float> volts, int32_t limitCounts, std::span<int16_t> codes);

}  // namespace shaping
