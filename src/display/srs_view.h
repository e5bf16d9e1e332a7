#pragma once
// The maximax view: the oscillator spectra of the reference and of the channels that the
// response and channel-group items select, on log-log axes; and the prompt for their Q.
#include <cmath>
#include <cstdint>
#include <string>

#include "program/program.h"

namespace display {

class Pen;

inline constexpr const char* kMaximaxTitle = " MAXIMAX SHOCK RESPONSE SPECTRUM ";
inline constexpr const char* kReferenceLegend = "Reference- -";

// Log-log axes: frequency from 10 Hz to the first of 200, 500, 1000 and 2000 Hz that holds an
// eighth of the sample rate; acceleration over three decades up to the decade that holds
// the largest value shown.
struct SrsAxes {
  double FLow = 10, FHigh = 2000, ALow = 0.1, AHigh = 100;
  double X(double f) const;  // 0 at FLow, 1 at FHigh
  double Y(double a) const;  // 0 at ALow (and below it), 1 at AHigh
};
SrsAxes SrsAxesFor(double sampleRate, double largest);

// Where v stands between low and high on a log axis: 0 at low (and below it), 1 at high.
double LogFraction(double v, double low, double high);

// Grid values of an axis from `low` to `high`: every multiple 1..9 of a decade; `decade`
// marks the powers of ten, `labelled` the 1-2-5 values.
template <typename F>
void ForEachLogTick(double low, double high, F&& f) {
  if (!(low > 0) || !(high > low) || !std::isfinite(high)) return;
  for (double e = std::floor(std::log10(low)); std::pow(10.0, e) <= high; e += 1) {
    const double d = std::pow(10.0, e);
    for (int m = 1; m <= 9; ++m) {
      const double v = d * m;
      if (v >= low * (1 - 1e-9) && v <= high * (1 + 1e-9)) f(v, m == 1, m == 1 || m == 2 || m == 5);
    }
  }
}
// The polyline through (x[i], y[i]), i < n, as dashes `on` long with gaps `off` long, the
// pattern running on across the corners: the nominal line drawn over the channels' curves
// lets them show through. `line` draws one dash piece.
template <typename Line>
void DashedPolyline(const double* x, const double* y, int n, double on, double off, Line&& line) {
  double phase = 0;  // distance into the current dash-and-gap period
  for (int i = 1; i < n; ++i) {
    const double dx = x[i] - x[i - 1], dy = y[i] - y[i - 1];
    const double length = std::hypot(dx, dy);
    if (!std::isfinite(length)) continue;
    double at = 0;
    while (at < length) {
      const bool drawing = phase < on;
      const double step = std::fmin((drawing ? on - phase : on + off - phase), length - at);
      if (drawing)
        line(x[i - 1] + dx * at / length, y[i - 1] + dy * at / length,
             x[i - 1] + dx * (at + step) / length, y[i - 1] + dy * (at + step) / length);
      at += step;
      phase += step;
      if (phase >= on + off) phase = 0;
    }
  }
}

// A tick value as the labels show it: "10", ".1", "2000".
std::string TickText(double v);

// The channels the view draws: each checked response item the channel group admits (before
// equalisation in Auto mode only channels 1 and 9, as the response view).
uint32_t MaximaxChannels(const Program& p);
// Factor from G to the unit system's acceleration unit.
double SrsUnitFactor(const Program& p);
// The legend lines of the view: the quantity with its unit, and Q.
std::string SrsQuantityText(const Program& p);
std::string SrsQText(const Program& p);
// The largest maximax of the reference and the drawn channels, in the display unit.
double LargestMaximax(const Program& p);

// Computes the spectra and draws the log grid with its tick labels (in place of the grid).
void PrepareMaximaxSrs(Program& p, Pen& pen);
// The title, legend and the curves.
void DrawMaximaxSrs(Program& p, Pen& pen);

// View > SRS Quality Factor.
void AskSrsQualityFactor(Program& p);

}  // namespace display
