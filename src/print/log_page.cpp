#include "print/log_page.h"

#include "display/draw.h"
#include "display/srs_view.h"
#include "print/report_page.h"

namespace print {

namespace {

// The plot box, as fractions of the page.
constexpr double kLeft = 0.15, kRight = 0.9, kTop = 0.1, kBottom = 0.7;
constexpr double kGridPen = 0.25;

}  // namespace

double LogBox::X(double f) const {
  return W * (kLeft + (kRight - kLeft) * display::LogFraction(f, XLow, XHigh));
}

double LogBox::Y(double v) const {
  return H * (kBottom - (kBottom - kTop) * display::LogFraction(v, YLow, YHigh));
}

double LogBox::Bottom() const {
  return H * kBottom;
}

LogBox LogBoxOnPage(const Program& p, double xLow, double xHigh, double yLow, double yHigh) {
  LogBox b;
  b.W = p.plot.PlotWidth;
  b.H = p.plot.PlotHeight;
  b.XLow = xLow;
  b.XHigh = xHigh;
  b.YLow = yLow;
  b.YHigh = yHigh;
  return b;
}

void PrintLogGrid(Program& p, const LogBox& b) {
  auto& pr = Paper(p);
  const double w = b.W, h = b.H;
  const int black = display::color::Black;
  pr.SetLineWidth(kGridPen);
  display::ForEachLogTick(b.XLow, b.XHigh, [&](double f, bool decade, bool labelled) {
    pr.Line(b.X(f), decade ? kTop * h : 0.69 * h, b.X(f), kBottom * h, black);
    if (labelled) pr.Text(b.X(f) - 0.01 * w, 0.71 * h, display::TickText(f), black);
  });
  display::ForEachLogTick(b.YLow, b.YHigh, [&](double v, bool decade, bool) {
    pr.Line(kLeft * w, b.Y(v), (decade ? kRight : kLeft + 0.01) * w, b.Y(v), black);
    if (decade) pr.Text(0.1 * w, b.Y(v) - 0.01 * h, display::TickText(v), black);
  });
}

}  // namespace print
