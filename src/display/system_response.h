#pragma once
// View > System Response: the magnitude of the waveform control's estimate of shaker, fixture
// and specimen in G per volt of drive over frequency, on log-log axes, with its noise weight
// (0 to 1 over the plot's height) and the band the corrections use. The screen and the
// printed page draw the same curve.
#include <array>
#include <string>

#include "program/program.h"
#include "shaping/spectra.h"

namespace display {

class Pen;

inline constexpr const char* kSystemResponseTitle = " SYSTEM RESPONSE ";
inline constexpr const char* kMagnitudeLegend = "MAGNITUDE- G/V";
inline constexpr const char* kWeightLegend = "NOISE WEIGHT- - 0 TO 1";
inline constexpr const char* kNoResponseText =
    "NO RESPONSE MEASURED - WITH WAVEFORM CONTROL ON, EVERY PULSE IS LEARNT FROM";
// The noise weight's 1 lies this far down the plot, under the legend; its 0 at the bottom.
inline constexpr double kWeightTop = 0.2;

// The estimate as drawn: lines 1.. up to half the sampling frequency.
struct SystemResponseCurve {
  int Count = 0;  // 0: nothing measured yet
  int Pulses = 0;
  double BandHz = 0;  // the corrections' band limit
  std::array<double, shaping::kLines> Hz{}, GPerVolt{}, Weight{};
  // The noise weight averaged over twelfth octaves (each line its own point where the lines
  // lie further apart), so that it reads as a curve where the lines crowd.
  int Smoothed = 0;
  std::array<double, shaping::kLines> SmoothHz{}, SmoothWeight{};
};
void SystemResponseOf(const Program& p, SystemResponseCurve& out);

// Log frequency from the decade at or below the first line to half the sampling frequency;
// log magnitude over four decades up to the decade that holds the largest in-band value.
struct ResponseAxes {
  double FLow = 1, FHigh = 640, GLow = 0.01, GHigh = 100;
  double X(double f) const;  // 0 at FLow, 1 at FHigh
  double Y(double g) const;  // 0 at GLow (and below it), 1 at GHigh
};
ResponseAxes ResponseAxesFor(const SystemResponseCurve& c);

// The views with log axes of their own (the maximax spectra and the system response): no
// time trace, no zoom and no linear grid belong to them.
bool SystemResponseShown(const ui::Window& w);
bool LogAxesShown(const ui::Window& w);

// "PULSES 4  BAND 576 HZ" under the legend; empty when nothing was measured.
std::string SystemResponseNote(const SystemResponseCurve& c);

// The grid with its tick labels (in place of the linear grid), then the title, legend and
// curves.
void PrepareSystemResponse(Program& p, Pen& pen);
void DrawSystemResponse(Program& p, Pen& pen);

}  // namespace display
