#include "display/draw.h"

#include <cmath>

namespace display {

int ChannelColor(int c) {
  static constexpr int kColors[4] = {color::LightRed, color::LightMagenta, color::Red,
                                     color::LightBlue};
  return kColors[((c - 1) % 4 + 4) % 4];
}

Pen::Pen(Program& p)
    : canvas_(p.platform.PlotCanvas()), w_(p.plot.PlotWidth), h_(p.plot.PlotHeight) {}

void Pen::Line(double x1, double y1, double x2, double y2, int color) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  // Liang-Barsky against the picture widened by its own size on every side.
  const double xmin = -w_, xmax = 2 * w_, ymin = -h_, ymax = 2 * h_;
  double dx = x2 - x1, dy = y2 - y1, t0 = 0, t1 = 1;
  const double pq[4][2] = {{-dx, x1 - xmin}, {dx, xmax - x1}, {-dy, y1 - ymin}, {dy, ymax - y1}};
  for (const auto& [pk, qk] : pq) {
    if (pk == 0) {
      if (qk < 0) return;
      continue;
    }
    double t = qk / pk;
    if (pk < 0) {
      if (t > t1) return;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return;
      if (t < t1) t1 = t;
    }
  }
  if (t1 < 1) {
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
  }
  if (t0 > 0) {
    x1 = x1 + t0 * dx;
    y1 = y1 + t0 * dy;
  }
  canvas_.Line(x1, y1, x2, y2, color);
}

void Pen::Text(double x, double y, const std::string& text, int color) {
  canvas_.Text(x, y, text, color);
}

int TitleColor(const Program& p) {
  return p.win.PlotBackColor == color::White ? color::Black : color::White;
}

}  // namespace display
