#include "print/srs_page.h"

#include <cmath>

#include "analysis/srs_inputs.h"
#include "display/draw.h"
#include "display/srs_view.h"
#include "print/log_page.h"
#include "print/report_page.h"

namespace print {

void PrintMaximaxSrs(Program& p) {
  auto& pr = Paper(p);
  const double w = p.plot.PlotWidth;
  // The spectra of the data as it stands, the same the screen draws.
  analysis::ComputeProgramSrs(p, display::MaximaxChannels(p));
  const auto& r = p.srs.Result;
  const double unit = display::SrsUnitFactor(p);
  const display::SrsAxes a = display::SrsAxesFor(r.SampleRate, display::LargestMaximax(p));
  const LogBox box = LogBoxOnPage(p, a.FLow, a.FHigh, a.ALow, a.AHigh);
  PrintLogGrid(p, box);

  pr.SetLineWidth(kLogTracePen);
  double px[analysis::kSrsMaxFrequencies], py[analysis::kSrsMaxFrequencies];
  auto points = [&](int lane) {
    for (int f = 0; f < r.Count; ++f) {
      px[f] = box.X(r.Frequency[f]);
      py[f] = box.Y(r.Maximax[f][lane] * unit);
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
