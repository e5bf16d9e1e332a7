#include "display/plot.h"

#include <array>
#include <cmath>

#include "analysis/accept_program.h"
#include "common/rounding.h"
#include "display/axes.h"
#include "display/draw.h"
#include "display/inputs.h"
#include "display/response.h"
#include "display/spectrum.h"
#include "display/srs_view.h"
#include "display/status_panel.h"
#include "display/system_response.h"
#include "profile/kinematics.h"

namespace display {

using profile::row::ControlMode;
using ui::MenuId;

namespace {

constexpr int kLastPoint = 1023;  // traces run over points 1..1023

// Each quantity of a trace is drawn as one run of segments so that the canvas gets them
// in order, colour by colour.

// Segments from point i-1 to point i for i = first..last; the trace starts from 0.
void DrawTrace(const Program& p, Pen& pen, const Points& v, int first, int last, double s,
               int color) {
  double x0 = PointX(p, first - 1), y0 = ValueY(p, 0, s);
  for (int i = first; i <= last; ++i) {
    double x1 = PointX(p, i), y1 = ValueY(p, v[i], s);
    pen.Line(x0, y0, x1, y1, color);
    x0 = x1;
    y0 = y1;
  }
}

void TestProfile(Program& p, Pen& pen) {
  p.plot.PlotTitle = " TEST PROFILE ";
  DrawPlotTitle(p, pen);
  profile::KinematicsTrace trace;
  // The limit check waits until the picture is on the screen (RefreshPlot).
  profile::ComputeReferenceKinematics(p, &trace, false);
  // Also for a reference of zeros: a stale response peak would read as the reference
  // peak in the Metric and Hybrid read-outs.
  p.plot.ResponsePeakA = p.plot.RefPeakA;

  const float units = p.Row(profile::row::UnitSystem);
  if (p.win.Checked(MenuId::mnuViewAcc))
    DrawTrace(p, pen, trace.Accel, 1, kLastPoint, ScaleOf(Quantity::Acceleration, units),
              color::LightRed);
  if (p.win.Checked(MenuId::mnuViewVel))
    DrawTrace(p, pen, trace.Velocity, 1, kLastPoint, ScaleOf(Quantity::ProfileVelocity, units),
              color::Yellow);
  if (p.win.Checked(MenuId::mnuViewDisp))
    DrawTrace(p, pen, trace.Displacement, 1, kLastPoint, ScaleOf(Quantity::Displacement, units),
              color::LightMagenta);
}

void AbortLimits(Program& p, Pen& pen) {
  const double h = pen.H();
  const double s = ScaleOf(Quantity::Acceleration, p.Row(profile::row::UnitSystem));
  const double g = std::exp(0.115 * p.Row(profile::row::AbortLevelDb));
  const bool negative = p.Row(profile::row::Polarity) == 2;
  const float from = 4 * p.wave.PulseSamples, to = 5 * p.wave.PulseSamples;
  for (double spread : {g, 1 / g}) {
    float prev = 0;
    for (int i = 1; i <= kLastPoint; ++i) {
      const float v = profile::ReferenceGSingle(p.wave, i, p.plot.TestLevelG, negative);
      if (from <= i && i <= to) {
        double d0 = ValueY(p, prev, s) - h / 2, d1 = ValueY(p, v, s) - h / 2;
        pen.Line(PointX(p, i - 1), h / 2 + d0 * spread, PointX(p, i), h / 2 + d1 * spread,
                 color::White);
      }
      prev = v;
    }
  }
}

// The acceptance band around the reference, over channel 1's response where it lies.
void ToleranceBand(Program& p, Pen& pen) {
  analysis::BandLines band;
  analysis::ToleranceBand(p, band);
  const double s = ScaleOf(Quantity::Acceleration, p.Row(profile::row::UnitSystem));
  const int c = p.win.PlotBackColor == color::White ? color::Green : color::LightGreen;
  for (int i = band.First + 1; i <= band.Last; ++i)
    for (const auto* line : {&band.Upper, &band.Lower})
      pen.Line(PointX(p, i - 1), ValueY(p, (*line)[i - 1], s), PointX(p, i),
               ValueY(p, (*line)[i], s), c);
}

void ResponseChannel(Program& p, Pen& pen, int c) {
  p.plot.PlotTitle = " CH# SHOCK RESPONSE ";
  p.plot.ResponsePeakA = p.plot.ResponsePeakV = p.plot.ResponsePeakD = 0;
  DrawPlotTitle(p, pen);

  ResponseTraces t;
  ComputeResponse(p, c, 0.153, t);
  const Points& acc = t.Accel;
  const Points& vel = t.Velocity;
  const Points& disp = t.Displacement;
  for (int i = 3; i <= 1022; ++i) {
    const float a = acc[i], pv = vel[i], pd = disp[i];
    if (std::fabs(a) > p.plot.ResponsePeakA) {
      p.plot.ResponsePeakA = std::fabs(a);
      p.plot.ChannelPeak[c] = p.plot.ResponsePeakA;
    }
    if (std::fabs(pv) > p.plot.ResponsePeakV && i < 512) p.plot.ResponsePeakV = std::fabs(pv);
    if (std::fabs(pd) > p.plot.ResponsePeakD && i < 512) p.plot.ResponsePeakD = std::fabs(pd);
  }

  // The acceleration is always drawn; the Acceleration item is the test profile's only.
  const float units = p.Row(profile::row::UnitSystem);
  DrawTrace(p, pen, acc, 3, 1022, ScaleOf(Quantity::Acceleration, units), ChannelColor(c));
  if (p.win.Checked(MenuId::mnuViewVel))
    DrawTrace(p, pen, vel, 3, 1022, ScaleOf(Quantity::ResponseVelocity, units), color::Yellow);
  if (p.win.Checked(MenuId::mnuViewDisp))
    DrawTrace(p, pen, disp, 3, 1022, ScaleOf(Quantity::Displacement, units), color::LightMagenta);
}

void DriveWaveform(Program& p, Pen& pen) {
  p.plot.PlotTitle = " DRIVE WAVEFORM ";
  DrawPlotTitle(p, pen);
  const double s = ScaleOf(Quantity::Acceleration, p.Row(profile::row::UnitSystem));
  float prev = 0;
  for (int i = 1; i <= kLastPoint; ++i) {
    const float a = static_cast<float>(profile::DriveG(p.wave, i, p.plot.TestLevelG));
    pen.Line(PointX(p, i - 1), ValueY(p, prev, s), PointX(p, i), ValueY(p, a, s), color::White);
    prev = a;
  }
}

}  // namespace

float CurrentTestLevelG(const Program& p) {
  if (RemoteLevelOverride(p) == 1.0f) return RemoteLevelG(p);
  const float amplitude = p.Row(profile::row::PulseAmplitude);
  return p.Row(profile::row::UnitSystem) == 1 ? static_cast<float>(amplitude * 0.102) : amplitude;
}

double ScaleOf(Quantity q, float unitSystem) {
  const bool metric = unitSystem == 1, hybrid = unitSystem == 2;
  switch (q) {
    case Quantity::Acceleration:
      return 0.005;
    case Quantity::ProfileVelocity:
      return (metric || hybrid) ? 0.00127 : 0.005;
    case Quantity::ResponseVelocity:
      return metric ? 0.00127 : 0.005;
    case Quantity::Displacement:
      return metric ? 0.000127 : 0.0005;
  }
  return 0.005;
}

double PointX(const Program& p, double i) {
  return 0.00783 * i * p.plot.PlotWidth / (p.plot.XZoom * SampleFactorOf(p));
}

double ValueY(const Program& p, double v, double s) {
  return p.plot.PlotHeight * (0.5 - v * s / p.plot.YZoom);
}

void DrawGrid(Pen& pen) {
  const double w = pen.W(), h = pen.H();
  for (int k = 0; k <= 9; ++k) pen.Line(0, h - k * 0.1 * h, w, h - k * 0.1 * h, color::Grid);
  for (int k = 0; k <= 19; ++k)
    pen.Line(0, h - k * 0.05 * h, 0.015 * w, h - k * 0.05 * h, color::Grid);
  for (int k = 1; k <= 10; ++k) pen.Line(k * 0.1 * w, 0, k * 0.1 * w, h, color::Grid);
  for (int k = 1; k <= 49; ++k) pen.Line(k * 0.02 * w, 0.965 * h, k * 0.02 * w, h, color::Grid);
}

void DrawPlotTitle(Program& p, Pen& pen) {
  pen.Text(0.11 * pen.W(), 0, p.plot.PlotTitle, TitleColor(p));
}

bool ResponseChecked(const Program& p, int c) {
  const float view = p.Row(profile::row::ViewChannels);
  const bool admitted = c <= 8 ? (view == 0 || view == 1) : (view == 0 || view == 2);
  return admitted && p.win.Checked(MenuId::mnuViewResponse, c - 1);
}

bool ResponseShown(const Program& p, int c) {
  const bool all = p.control.SystemEqualized != 0 || p.Row(ControlMode) != 0;
  return ResponseChecked(p, c) && (c == 1 || c == 9 || all);
}

void DrawTraces(Program& p, Pen& pen) {
  auto& w = p.win;
  // The oscillator spectra and the system response have axes of their own: no time trace
  // belongs under them; the response items choose the channels of the spectra.
  const bool logAxes = LogAxesShown(w);
  if (w.Checked(MenuId::mnuViewTest)) TestProfile(p, pen);
  if (w.Checked(MenuId::mnuViewAbort) && !logAxes) AbortLimits(p, pen);
  for (int c = 1; c <= 16 && !logAxes; ++c)
    if (ResponseShown(p, c)) ResponseChannel(p, pen, c);
  if (w.Checked(MenuId::mnuViewTolBand) && !logAxes && ResponseShown(p, 1)) ToleranceBand(p, pen);
  if (w.Checked(MenuId::mnuViewDrive)) DriveWaveform(p, pen);
  if (w.Checked(MenuId::mnuViewSRS)) DrawSpectrum(p, pen);
  if (w.Checked(MenuId::mnuViewMaximax)) DrawMaximaxSrs(p, pen);
  if (SystemResponseShown(w)) DrawSystemResponse(p, pen);
}

void RefreshPlot(Program& p) {
  ++p.plot.RefreshCount;
  auto& canvas = p.platform.PlotCanvas();
  auto& w = p.win;
  // The background follows the profile, so a loaded profile shows the colour its marks say.
  const float back = p.Row(profile::row::PlotBackground);
  if (back == 0)
    w.PlotBackColor = color::Black;
  else if (back == 1)
    w.PlotBackColor = color::White;
  canvas.Clear(w.PlotBackColor);
  p.plot.PlotWidth = common::ToInt16(canvas.Width());
  p.plot.PlotHeight = common::ToInt16(canvas.Height());
  canvas.Scale(0, 0, p.plot.PlotWidth, p.plot.PlotHeight);
  p.plot.XZoom = XZoomInRange(p.plot.XZoom);
  p.plot.YZoom = YZoomInRange(p.plot.YZoom);

  p.plot.TestLevelG = CurrentTestLevelG(p);
  if (w.Checked(MenuId::mnuViewTest)) {
    w.Check(MenuId::mnuViewResponse, false, 0);
    w.Check(MenuId::mnuViewResponse, false, 1);
    w.Check(MenuId::mnuViewDrive, false);
    w.Check(MenuId::mnuViewSRS, false);
    w.Check(MenuId::mnuViewMaximax, false);
    w.Check(MenuId::mnuViewSysResponse, false);
  }

  const bool profileDrawn = w.Checked(MenuId::mnuViewTest);
  Pen pen(p);
  if (w.Checked(MenuId::mnuViewMaximax))
    PrepareMaximaxSrs(p, pen);
  else if (SystemResponseShown(w))
    PrepareSystemResponse(p, pen);
  else
    DrawGrid(pen);
  DrawXAxisLabels(p);
  DrawAxisLabels(p, pen);
  DrawTraces(p, pen);
  canvas.Finish();
  UpdateStatusPanel(p);
  if (profileDrawn) {
    // The operator reads a limit warning over the drawn profile and its read-outs.
    p.platform.Refresh();
    profile::CheckSystemLimits(p);
  }
}

void ShowControlResponse(Program& p) {
  auto& w = p.win;
  w.Check(MenuId::mnuViewResponse, true, 0);
  if (w.Checked(MenuId::mnuViewResponse, 0)) {
    w.Check(MenuId::mnuViewTest, false);
    w.Check(MenuId::mnuViewDrive, false);
    w.Check(MenuId::mnuViewSRS, false);
    w.Check(MenuId::mnuViewMaximax, false);
    w.Check(MenuId::mnuViewSysResponse, false);
  }
}

}  // namespace display
