#include "print/response_page.h"

#include <algorithm>
#include <array>

#include "display/draw.h"
#include "display/srs_view.h"
#include "display/system_response.h"
#include "print/report_page.h"

namespace print {

namespace {

// The plot box, as fractions of the page.
constexpr double kLeft = 0.15, kRight = 0.9, kTop = 0.1, kBottom = 0.7;
constexpr double kGridPen = 0.25, kTracePen = 0.75;

}  // namespace

void PrintSystemResponse(Program& p) {
  auto& pr = Paper(p);
  const double w = p.plot.PlotWidth, h = p.plot.PlotHeight;
  display::SystemResponseCurve c;
  display::SystemResponseOf(p, c);
  const display::ResponseAxes a = display::ResponseAxesFor(c);
  auto x = [&](double f) { return w * (kLeft + (kRight - kLeft) * a.X(f)); };
  auto y = [&](double v) { return h * (kBottom - (kBottom - kTop) * a.Y(v)); };
  const int black = display::color::Black;

  pr.SetLineWidth(kGridPen);
  display::ForEachLogTick(a.FLow, a.FHigh, [&](double f, bool decade, bool labelled) {
    pr.Line(x(f), decade ? kTop * h : 0.69 * h, x(f), kBottom * h, black);
    if (labelled) pr.Text(x(f) - 0.01 * w, 0.71 * h, display::TickText(f), black);
  });
  display::ForEachLogTick(a.GLow, a.GHigh, [&](double v, bool decade, bool) {
    pr.Line(kLeft * w, y(v), (decade ? kRight : kLeft + 0.01) * w, y(v), black);
    if (decade) pr.Text(0.1 * w, y(v) - 0.01 * h, display::TickText(v), black);
  });
  if (c.Count == 0) return;

  pr.SetLineWidth(kTracePen);
  std::array<double, shaping::kLines> px{}, pm{}, pxw{}, pw{};
  const double weightTop = 0.27;  // the weight's 1, under the legend's three lines
  for (int i = 0; i < c.Count; ++i) {
    px[i] = x(c.Hz[i]);
    pm[i] = y(c.GPerVolt[i]);
  }
  for (int i = 0; i < c.Smoothed; ++i) {
    pxw[i] = x(c.SmoothHz[i]);
    pw[i] = h * (kBottom - (kBottom - weightTop) * std::clamp(c.SmoothWeight[i], 0.0, 1.0));
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
