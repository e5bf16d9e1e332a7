#include "display/system_response.h"

#include <algorithm>
#include <cmath>

#include "analysis/srs_inputs.h"
#include "display/draw.h"
#include "display/plot.h"
#include "display/srs_view.h"
#include "shaping/settings.h"

namespace display {

using ui::MenuId;

namespace {

constexpr double kDecades = 4;  // of the magnitude axis

}  // namespace

double ResponseAxes::X(double f) const {
  return LogFraction(f, FLow, FHigh);
}

double ResponseAxes::Y(double g) const {
  return LogFraction(g, GLow, GHigh);
}

void SystemResponseOf(const Program& p, SystemResponseCurve& out) {
  const shaping::Estimate& e = p.shaping.Learnt.Est;
  const double fs = analysis::RecordSampleRate(p);
  out.Pulses = e.Pulses;
  out.BandHz = shaping::SettingsOf(p.profile.Record).BandPct * 0.01 * fs;
  out.Count = 0;
  if (e.Pulses == 0 || !(fs > 0)) return;
  for (int k = 1; k < shaping::kLines; ++k) {
    out.Hz[out.Count] = k * fs / shaping::kFft;
    out.GPerVolt[out.Count] = std::abs(shaping::ResponseAt(e, k));
    out.Weight[out.Count] = shaping::NoiseWeight(e, k);
    ++out.Count;
  }
  const double step = std::pow(2.0, 1.0 / 12);
  out.Smoothed = 0;
  for (int i = 0; i < out.Count;) {
    const double edge = out.Hz[i] * step;
    double sum = 0, logHz = 0;
    int n = 0;
    for (; i < out.Count && (n == 0 || out.Hz[i] < edge); ++i, ++n) {
      sum += out.Weight[i];
      logHz += std::log(out.Hz[i]);
    }
    out.SmoothHz[out.Smoothed] = std::exp(logHz / n);
    out.SmoothWeight[out.Smoothed] = sum / n;
    ++out.Smoothed;
  }
}

ResponseAxes ResponseAxesFor(const SystemResponseCurve& c) {
  ResponseAxes a;
  if (c.Count == 0) return a;
  a.FLow = std::pow(10.0, std::floor(std::log10(c.Hz[0]) + 1e-9));
  a.FHigh = c.Hz[c.Count - 1];
  double largest = 0;
  for (int i = 0; i < c.Count; ++i)
    if (c.Hz[i] <= c.BandHz && std::isfinite(c.GPerVolt[i]))
      largest = std::max(largest, c.GPerVolt[i]);
  if (largest > 0) {
    const double top = std::ceil(std::log10(largest) - 1e-9);
    a.GHigh = std::pow(10.0, std::clamp(top, -30.0 + kDecades, 30.0));
    a.GLow = a.GHigh / std::pow(10.0, kDecades);
  }
  return a;
}

bool SystemResponseShown(const ui::Window& w) {
  return w.Checked(MenuId::mnuViewSysResponse);
}

bool LogAxesShown(const ui::Window& w) {
  return w.Checked(MenuId::mnuViewMaximax) || SystemResponseShown(w);
}

std::string SystemResponseNote(const SystemResponseCurve& c) {
  if (c.Count == 0) return "";
  return "PULSES " + std::to_string(c.Pulses) + "  BAND " + TickText(std::round(c.BandHz)) + " HZ";
}

namespace {

// The tick labels, drawn over the curves so that a noisy estimate cannot hide them.
void TickLabels(const ResponseAxes& a, Pen& pen, int ink) {
  const double w = pen.W(), h = pen.H();
  ForEachLogTick(a.FLow, a.FHigh, [&](double f, bool, bool labelled) {
    if (labelled && a.X(f) < 0.95) pen.Text(a.X(f) * w + 0.004 * w, 0.925 * h, TickText(f), ink);
  });
  ForEachLogTick(a.GLow, a.GHigh, [&](double v, bool decade, bool) {
    const double y = (1 - a.Y(v)) * h;
    if (decade) pen.Text(0.94 * w, a.Y(v) < 0.05 ? y - 0.045 * h : y + 0.005 * h, TickText(v), ink);
  });
}

}  // namespace

void PrepareSystemResponse(Program& p, Pen& pen) {
  SystemResponseCurve c;
  SystemResponseOf(p, c);
  const ResponseAxes a = ResponseAxesFor(c);
  const double w = pen.W(), h = pen.H();
  ForEachLogTick(a.FLow, a.FHigh, [&](double f, bool decade, bool) {
    const double x = a.X(f) * w;
    pen.Line(x, decade ? 0 : 0.965 * h, x, h, color::Grid);
  });
  ForEachLogTick(a.GLow, a.GHigh, [&](double v, bool decade, bool) {
    const double y = (1 - a.Y(v)) * h;
    pen.Line(0, y, decade ? w : 0.015 * w, y, color::Grid);
  });
}

void DrawSystemResponse(Program& p, Pen& pen) {
  p.plot.PlotTitle = kSystemResponseTitle;
  DrawPlotTitle(p, pen);
  const int ink = TitleColor(p);
  const double w = pen.W(), h = pen.H();
  SystemResponseCurve c;
  SystemResponseOf(p, c);
  const ResponseAxes a = ResponseAxesFor(c);
  if (c.Count == 0) {
    TickLabels(a, pen, ink);
    pen.Text(0.11 * w, 0.45 * h, kNoResponseText, ink);
    return;
  }
  pen.Text(0.11 * w, 0.05 * h, kMagnitudeLegend, color::LightRed);
  pen.Text(0.11 * w, 0.10 * h, kWeightLegend, color::Yellow);
  pen.Text(0.11 * w, 0.15 * h, SystemResponseNote(c), ink);

  std::array<double, shaping::kLines> x{}, ym{}, xw{}, yw{};
  for (int i = 0; i < c.Count; ++i) {
    x[i] = a.X(c.Hz[i]) * w;
    ym[i] = (1 - a.Y(c.GPerVolt[i])) * h;
  }
  for (int i = 0; i < c.Smoothed; ++i) {
    xw[i] = a.X(c.SmoothHz[i]) * w;
    yw[i] = h - (1 - kWeightTop) * h * std::clamp(c.SmoothWeight[i], 0.0, 1.0);
  }
  // The band limit: beyond it the corrections take nothing from the estimate.
  if (c.BandHz < a.FHigh) {
    const double xb = a.X(c.BandHz) * w;
    DashedPolyline(
        std::array{xb, xb}.data(), std::array{0.2 * h, h}.data(), 2, 0.01 * h, 0.01 * h,
        [&](double x1, double y1, double x2, double y2) { pen.Line(x1, y1, x2, y2, color::Grid); });
  }
  DashedPolyline(
      xw.data(), yw.data(), c.Smoothed, 0.01 * w, 0.006 * w,
      [&](double x1, double y1, double x2, double y2) { pen.Line(x1, y1, x2, y2, color::Yellow); });
  // Where the noise outweighs the signal the magnitude is drawn dim: the corrections hardly
  // use it there.
  for (int i = 1; i < c.Count; ++i) {
    const bool measured = c.Weight[i - 1] >= 0.5 || c.Weight[i] >= 0.5;
    pen.Line(x[i - 1], ym[i - 1], x[i], ym[i], measured ? color::LightRed : color::Grid);
  }
  TickLabels(a, pen, ink);
  pen.Text(0.94 * w, kWeightTop * h - 0.045 * h, "W=1", color::Yellow);
}

}  // namespace display
