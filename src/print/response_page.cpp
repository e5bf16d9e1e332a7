#include "print/response_page.h"

#include <algorithm>
#include <array>

#include "display/draw.h"
#include "display/srs_view.h"
#include "display/system_response.h"
#include "print/log_page.h"
#include "print/report_page.h"

namespace print {

void PrintSystemResponse(Program& p) {
  auto& pr = Paper(p);
  const double w = p.plot.PlotWidth, h = p.plot.PlotHeight;
  display::SystemResponseCurve c;
  display::SystemResponseOf(p, c);
  const display::ResponseAxes a = display::ResponseAxesFor(c);
  const LogBox box = LogBoxOnPage(p, a.FLow, a.FHigh, a.GLow, a.GHigh);
  PrintLogGrid(p, box);
  if (c.Count == 0) return;

  pr.SetLineWidth(kLogTracePen);
  std::array<double, shaping::kLines> px{}, pm{}, pxw{}, pw{};
  const double weightTop = 0.27;  // the weight's 1, under the legend's three lines
  for (int i = 0; i < c.Count; ++i) {
    px[i] = box.X(c.Hz[i]);
    pm[i] = box.Y(c.GPerVolt[i]);
  }
  for (int i = 0; i < c.Smoothed; ++i) {
    pxw[i] = box.X(c.SmoothHz[i]);
    pw[i] = box.Bottom() - (box.Bottom() - weightTop * h) * std::clamp(c.SmoothWeight[i], 0.0, 1.0);
  }
  const int weightInk = PrintInk(p, display::color::Yellow);
  display::DashedPolyline(
      pxw.data(), pw.data(), c.Smoothed, 0.009 * w, 0.006 * w,
      [&](double x1, double y1, double x2, double y2) { pr.Line(x1, y1, x2, y2, weightInk); });
  // As on the screen: dim where the noise outweighs the signal.
  const int ink = PrintInk(p, display::color::LightRed), dim = PrintInk(p, display::color::Grid);
  for (int i = 1; i < c.Count; ++i) {
    const bool measured = c.Weight[i - 1] >= 0.5 || c.Weight[i] >= 0.5;
    pr.Line(px[i - 1], pm[i - 1], px[i], pm[i], measured ? ink : dim);
  }
}

}  // namespace print
