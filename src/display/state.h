#pragma once
#include <cstdint>

namespace display {

struct State {
  float XZoom = 1;
  float YZoom = 0.25f;
  float TestLevelG = 15;
  float RefPeakA = 0, RefPeakV = 0, RefPeakD = 0;
  float ResponsePeakA = 0, ResponsePeakV = 0, ResponsePeakD = 0;
  int16_t PrintColorMode = 1;  // 1 monochrome, 2 colour
  double CursorShownAt = -1;   // seconds since midnight when the read-out appeared
  int32_t RefreshCount = 0;    // plot refreshes, for the tests
};

}  // namespace display
