#include "print/srs_page.h"

#include <cmath>

#include "analysis/srs_inputs.h"
#include "display/draw.h"
#include "display/srs_view.h"
#include "print/report_page.h"

namespace print {

namespace {

// The plot box, as fractions of the page.
constexpr double kLeft = 0.15, kRight = 0.9, kTop = 0.1, kBottom = 0.7;
constexpr double kGridPen = 0.25, kTracePen = 0.75;

}  // namespace

void PrintMaximaxSrs(Program& p) {
  auto& pr = Paper(p);
  const double w = p.plot.PlotWidth, h = p.plot.PlotHeight;
  // The spectra of the data as it stands, the same the screen draws.
  analysis::ComputeProgramSrs(p, display::MaximaxChannels(p));
  const auto& r = p.srs.Result;
  const double unit = display::SrsUnitFactor(p);
  const display::SrsAxes a = display::SrsAxesFor(r.SampleRate, display::LargestMaximax(p));
  auto x = [&](double f) { return w * (kLeft + (kRight - kLeft) * a.X(f)); };
  auto y = [&](double v) { return h * (kBottom - (kBottom - kTop) * a.Y(v)); };
  const int black = display::color::Black;

  pr.SetLineWidth(kGridPen);
  display::ForEachLogTick(a.FLow, a.FHigh, [&](double f, bool decade, bool labelled) {
    pr.Line(x(f), decade ? kTop * h : 0.69 * h, x(f), kBottom * h, black);
    if (labelled) pr.Text(x(f) - 0.01 * w, 0.71 * h, display::TickText(f), black);
  });
  display::ForEachLogTick(a.ALow, a.AHigh, [&](double v, bool decade, bool) {
    pr.Line(kLeft * w, y(v), (decade ? kRight : kLeft + 0.01) * w, y(v), black);
    if (decade) pr.Text(0.1 * w, y(v) - 0.01 * h, display::TickText(v), black);
  });

  pr.SetLineWidth(kTracePen);
  double px[analysis::kSrsMaxFrequencies], py[analysis::kSrsMaxFrequencies];
  auto points = [&](int lane) {
    for (int f = 0; f < r.Count; ++f) {
      px[f] = x(r.Frequency[f]);
      py[f] = y(r.Maximax[f][lane] * unit);
    }
  };
  for (int c = 1; c <= 16; ++c) {
    if (!(p.srs.Channels & analysis::ChannelBit(c))) continue;
    points(c);
    const int ink = PrintInk(p, display::ChannelColor(c));
    for (int f = 1; f < r.Count; ++f) pr.Line(px[f - 1], py[f - 1], px[f], py[f], ink);
  }
  points(0);
  const int ink = PrintInk(p, display::color::White);
  display::DashedPolyline(
      px, py, r.Count, 0.009 * w, 0.006 * w,
      [&](double x1, double y1, double x2, double y2) { pr.Line(x1, y1, x2, y2, ink); });
}

}  // namespace print
