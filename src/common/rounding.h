#pragma once
#include <cmath>
#include <cstdint>

namespace common {

// Float-to-integer conversion of the system: nearest, halves to the even neighbour.
inline double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  double r = std::floor(v);
  double diff = v - r;
  if (diff > 0.5) return r + 1.0;
  if (diff < 0.5) return r;
  return std::fmod(r, 2.0) == 0.0 ? r : r + 1.0;
}

// Rounded and saturated to the integer type's range; NaN gives 0. Saturation keeps a
// wild intermediate from wrapping round to a large value of the other sign.
inline int32_t ToInt32(double v) {
  if (std::isnan(v)) return 0;
  double r = RoundHalfEven(v);
  if (r > 2147483647.0) return INT32_MAX;
  if (r < -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(r);
}

inline int16_t ToInt16(double v) {
  int32_t r = ToInt32(v);
  if (r > 32767) return 32767;
  if (r < -32768) return -32768;
  return static_cast<int16_t>(r);
}

}  // namespace common
