#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace display {

inline constexpr int kSpectrumPoints = 1024;  // points of the spectrum transform
inline constexpr int kSpectrumBars = 400;     // bins drawn as bars

struct State {
  float XZoom = 1;
  float YZoom = 0.25f;
  float TestLevelG = 0;  // 0 until the first plot refresh
  float RefPeakA = 0, RefPeakV = 0, RefPeakD = 0;
  float ResponsePeakA = 0, ResponsePeakV = 0, ResponsePeakD = 0;
  int16_t PrintColorMode = 1;  // 1 monochrome, 2 colour
  double CursorShownAt = -1;   // seconds since midnight when the read-out appeared
  int32_t RefreshCount = 0;    // plot refreshes, for the tests

  // Size of the plot picture, copied at the start of every drawing.
  int16_t PlotWidth = 0, PlotHeight = 0;
  std::string PlotTitle;
  std::array<float, 17> ChannelPeak{};  // 1..16: peak |G| of each channel when last drawn
  float CursorX = 0, CursorY = 0;       // last mouse press in the plot, in pixels

  // The spectrum: one-based complex points; element 0 is never read. The transformed
  // values stay here for the printed plot.
  std::array<float, kSpectrumPoints + 1> SpecRe{};
  std::array<float, kSpectrumPoints + 1> SpecIm{};
  std::array<float, 2 * kSpectrumPoints + 1> FFTWork{};
};

}  // namespace display
