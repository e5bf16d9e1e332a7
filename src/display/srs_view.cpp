#include "display/srs_view.h"

#include <algorithm>
#include <cmath>

#include "analysis/srs_inputs.h"
#include "common/number_text.h"
#include "common/prompt.h"
#include "display/draw.h"
#include "display/plot.h"

namespace display {

using ui::MenuId;

namespace {

constexpr double kDecades = 3;  // of the acceleration axis

}  // namespace

double LogFraction(double v, double low, double high) {
  if (!(v > low)) return 0;
  return std::log10(v / low) / std::log10(high / low);
}

double SrsAxes::X(double f) const {
  return LogFraction(f, FLow, FHigh);
}

double SrsAxes::Y(double a) const {
  return LogFraction(a, ALow, AHigh);
}

SrsAxes SrsAxesFor(double sampleRate, double largest) {
  SrsAxes a;
  a.FLow = analysis::kSrsLowestHz;
  for (double end : {200.0, 500.0, 1000.0, 2000.0}) {
    a.FHigh = end;
    if (end >= sampleRate / 8) break;
  }
  if (std::isfinite(largest) && largest > 0) {
    // The decade at or above the largest value; never so high that the bottom underflows.
    const double top = std::ceil(std::log10(largest) - 1e-9);
    a.AHigh = std::pow(10.0, std::clamp(top, -30.0 + kDecades, 30.0));
    a.ALow = a.AHigh / std::pow(10.0, kDecades);
  }
  return a;
}

std::string TickText(double v) {
  std::string s = common::NumberText(static_cast<float>(v));
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

uint32_t MaximaxChannels(const Program& p) {
  uint32_t set = 0;
  for (int c = 1; c <= 16; ++c)
    if (ResponseShown(p, c)) set |= analysis::ChannelBit(c);
  return set;
}

double SrsUnitFactor(const Program& p) {
  return p.Row(profile::row::UnitSystem) == 1 ? 9.807 : 1;
}

std::string SrsQuantityText(const Program& p) {
  return p.Row(profile::row::UnitSystem) == 1 ? "MAXIMAX SRS- M/Sec.^2" : "MAXIMAX SRS- G-Peak";
}

std::string SrsQText(const Program& p) {
  return "Q = " + TickText(analysis::CurrentSrsQ(p));
}

double LargestMaximax(const Program& p) {
  const auto& r = p.srs.Result;
  double largest = 0;
  for (int lane = 0; lane <= 16; ++lane) {
    if (lane > 0 && !(p.srs.Channels & analysis::ChannelBit(lane))) continue;
    for (int f = 0; f < r.Count; ++f)
      if (std::isfinite(r.Maximax[f][lane])) largest = std::max(largest, r.Maximax[f][lane]);
  }
  return largest * SrsUnitFactor(p);
}

void PrepareMaximaxSrs(Program& p, Pen& pen) {
  analysis::ComputeProgramSrs(p, MaximaxChannels(p));
  const SrsAxes a = SrsAxesFor(p.srs.Result.SampleRate, LargestMaximax(p));
  const double w = pen.W(), h = pen.H();
  const int ink = TitleColor(p);
  ForEachLogTick(a.FLow, a.FHigh, [&](double f, bool decade, bool labelled) {
    const double x = a.X(f) * w;
    if (decade)
      pen.Line(x, 0, x, h, color::Grid);
    else
      pen.Line(x, 0.965 * h, x, h, color::Grid);
    if (labelled && a.X(f) < 0.95) pen.Text(x + 0.004 * w, 0.925 * h, TickText(f), ink);
  });
  ForEachLogTick(a.ALow, a.AHigh, [&](double v, bool decade, bool) {
    const double y = (1 - a.Y(v)) * h;
    if (!decade) {
      pen.Line(0, y, 0.015 * w, y, color::Grid);
      return;
    }
    pen.Line(0, y, w, y, color::Grid);
    // Each decade is named just under its line; the bottom one above it.
    pen.Text(0.94 * w, a.Y(v) < 0.05 ? y - 0.045 * h : y + 0.005 * h, TickText(v), ink);
  });
}

void DrawMaximaxSrs(Program& p, Pen& pen) {
  p.plot.PlotTitle = kMaximaxTitle;
  DrawPlotTitle(p, pen);
  const int ink = TitleColor(p);
  const double w = pen.W(), h = pen.H();
  pen.Text(0.11 * w, 0.05 * h, SrsQuantityText(p), ink);
  pen.Text(0.11 * w, 0.10 * h, SrsQText(p), ink);
  pen.Text(0.11 * w, 0.15 * h, kReferenceLegend, ink);

  const auto& r = p.srs.Result;
  const double unit = SrsUnitFactor(p);
  const SrsAxes a = SrsAxesFor(r.SampleRate, LargestMaximax(p));
  double x[analysis::kSrsMaxFrequencies], y[analysis::kSrsMaxFrequencies];
  auto points = [&](int lane) {
    for (int f = 0; f < r.Count; ++f) {
      x[f] = a.X(r.Frequency[f]) * w;
      y[f] = (1 - a.Y(r.Maximax[f][lane] * unit)) * h;
    }
  };
  for (int c = 1; c <= 16; ++c) {
    if (!(p.srs.Channels & analysis::ChannelBit(c))) continue;
    points(c);
    for (int f = 1; f < r.Count; ++f) pen.Line(x[f - 1], y[f - 1], x[f], y[f], ChannelColor(c));
  }
  // The nominal line last and dashed: on top, yet a channel that follows it still shows.
  points(0);
  DashedPolyline(
      x, y, r.Count, 0.012 * w, 0.008 * w,
      [&](double x1, double y1, double x2, double y2) { pen.Line(x1, y1, x2, y2, ink); });
}

void AskSrsQualityFactor(Program& p) {
  float& stored = p.Row(profile::row::SrsQuality);
  float q = static_cast<float>(analysis::CurrentSrsQ(p));
  if (!common::AskNumberInBounds(p.platform, "Enter the Quality Factor Q of the SRS (2 to 50).",
                                 "SRS Quality Factor", common::PromptDefaultText(q),
                                 {analysis::kSrsLowestQ, analysis::kSrsHighestQ,
                                  " The Number must be between 2 and 50.", " Out Of Bounds"},
                                 q))
    return;
  stored = q;
  RefreshPlot(p);
}

}  // namespace display
