#include "display/axes.h"

#include <array>
#include <cmath>

#include "common/number_text.h"
#include "display/draw.h"
#include "display/plot.h"
#include "display/srs_view.h"
#include "display/system_response.h"

namespace display {

using ui::LabelId;
using ui::MenuId;

namespace {

constexpr std::array<LabelId, 5> kXLabels = {LabelId::lblX1, LabelId::lblX2, LabelId::lblX3,
                                             LabelId::lblX4, LabelId::lblX5};
constexpr std::array<LabelId, 9> kYLabels = {LabelId::lblY0, LabelId::lblY1, LabelId::lblY2,
                                             LabelId::lblY3, LabelId::lblY4, LabelId::lblY5,
                                             LabelId::lblY6, LabelId::lblY7, LabelId::lblY8};

constexpr std::array<int, 9> kSpectrumY = {200, 180, 160, 140, 120, 100, 80, 60, 40};
constexpr std::array<int, 9> kEnglishY = {100, 80, 60, 40, 20, 0, -20, -40, -60};
constexpr std::array<int, 9> kMetricY = {1000, 800, 600, 400, 200, 0, -200, -400, -600};

constexpr const char* kChannelLegend[16] = {"Ch#1---",   "Ch#2 ---",  "Ch#3 ---",  "Ch#4 ---",
                                            "Ch#5 - -",  "Ch#6 - -",  "Ch#7 - -",  "Ch#8 - -",
                                            "Ch#9---",   "Ch#10 --",  "Ch#11 --",  "Ch#12 --",
                                            "Ch#13 - -", "Ch#14 - -", "Ch#15 - -", "Ch#16 - -"};

}  // namespace

void DrawXAxisLabels(Program& p) {
  auto& w = p.win;
  float zoom = p.plot.XZoom;
  const bool maximax = LogAxesShown(w);
  // The log axes of the oscillator spectra and the system response carry their labels inside
  // the plot; no zoom applies to them.
  w.Spin(ui::SpinId::spnYaxis).Visible = !maximax;
  w.SetCaption(LabelId::lblDisplay, SystemResponseShown(w) ? "SYSTEM RESPONSE"
                                    : w.Checked(MenuId::mnuViewMaximax)
                                        ? "MAXIMAX SRS  " + SrsQText(p)
                                        : "ACCELERATION");
  if (maximax) {
    w.SetCaption(LabelId::lblXaxis, " HZ. ");
    w.Spin(ui::SpinId::spnXaxis).Visible = false;
    for (LabelId id : kXLabels) w.SetCaption(id, "");
    return;
  }
  if (w.Checked(MenuId::mnuViewSRS)) {
    zoom = 20;
    w.SetCaption(LabelId::lblXaxis, " HZ. ");
    w.Spin(ui::SpinId::spnXaxis).Visible = false;
  } else {
    w.SetCaption(LabelId::lblXaxis, "M-SEC.");
    w.Spin(ui::SpinId::spnXaxis).Visible = true;
  }
  for (int k = 0; k < 5; ++k)
    w.SetCaption(kXLabels[k], common::NumberText(zoom * static_cast<float>(20 * (k + 1))));
}

void DrawAxisLabels(Program& p, Pen& pen) {
  auto& win = p.win;
  const bool srs = win.Checked(MenuId::mnuViewSRS);
  const bool maximax = LogAxesShown(win);
  const float units = p.Row(profile::row::UnitSystem);
  const double w = pen.W(), h = pen.H();

  const std::array<int, 9>* y = nullptr;
  if (maximax)
    for (LabelId id : kYLabels) win.SetCaption(id, "");
  else if (srs)
    y = &kSpectrumY;
  else if (units == 0 || units == 2)
    y = &kEnglishY;
  else if (units == 1)
    y = &kMetricY;
  if (y)
    for (int k = 0; k < 9; ++k)
      win.SetCaption(kYLabels[k], common::NumberText(p.plot.YZoom * static_cast<float>((*y)[k])));

  struct Legend {
    const char *a, *v, *d;
    int dColor;
  };
  const Legend* legend = nullptr;  // the maximax view writes its own
  static constexpr Legend kSpectrum = {" ", "                       ", "                          ",
                                       color::LightMagenta};
  static constexpr Legend kEnglish = {"ACCELERATION- G-Peak", "VELOCITY- IPS-Peak",
                                      "DISPLACEMENT- MILSp-p (X10)", color::LightMagenta};
  static constexpr Legend kMetric = {"ACCELERATION- M/Sec.^2", "VELOCITY- CM/Sec.",
                                     "DISPLACEMENT- MM-pk (X10)", color::Magenta};
  static constexpr Legend kHybrid = {"ACCELERATION- G-Peak", "VELOCITY- CM/Sec.",
                                     "DISPLACEMENT- MM-pk (X10)", color::Magenta};
  if (maximax)
    legend = nullptr;
  else if (srs)
    legend = &kSpectrum;
  else if (units == 0)
    legend = &kEnglish;
  else if (units == 1)
    legend = &kMetric;
  else if (units == 2)
    legend = &kHybrid;
  if (legend) {
    pen.Text(0.11 * w, 0.05 * h, legend->a, color::LightRed);
    pen.Text(0.11 * w, 0.10 * h, legend->v, color::Yellow);
    pen.Text(0.11 * w, 0.15 * h, legend->d, legend->dColor);
  }

  for (int c = 1; c <= 16; ++c)
    if (ResponseChecked(p, c))
      pen.Text(0.01 * w, (0.05 + 0.04 * (c - 1)) * h, kChannelLegend[c - 1], ChannelColor(c));

  // White subtitles would vanish on the white background; they take the title's colour.
  const int sub = TitleColor(p);
  pen.Text(0.5 * w, 0.05 * h, p.profile.Record.SubTitle1, sub);
  pen.Text(0.5 * w, 0.10 * h, p.profile.Record.SubTitle2, sub);
}

float XZoomInRange(float z) {
  if (std::isnan(z)) return 1;
  return z < 0.1f ? 0.1f : (z > 8 ? 8 : z);
}

float YZoomInRange(float z) {
  if (std::isnan(z)) return 0.25f;
  return z < 0.01f ? 0.01f : (z > 4 ? 4 : z);
}

void XZoomIn(Program& p) {
  float& z = p.plot.XZoom;
  z = z * 0.5f;
  if (z == 0.125f) z = 0.1f;
  if (z < 0.1f) z = 0.1f;
  RefreshPlot(p);
}

void XZoomOut(Program& p) {
  float& z = p.plot.XZoom;
  z = z * 2;
  if (z == 0.2f) z = 0.25f;
  if (z > 8) z = 8;
  RefreshPlot(p);
}

void YZoomIn(Program& p) {
  float& z = p.plot.YZoom;
  z = z * 0.5f;
  if (z == 0.125f) z = 0.1f;
  if (z == 0.025f) z = 0.02f;
  if (z < 0.01f) z = 0.01f;
  RefreshPlot(p);
}

void YZoomOut(Program& p) {
  float& z = p.plot.YZoom;
  z = z * 2;
  if (z == 0.04f) z = 0.05f;
  if (z == 0.2f) z = 0.25f;
  if (z > 4) z = 4;
  RefreshPlot(p);
}

void ZoomSpin(Program& p, ui::SpinId spin, bool up) {
  if (spin == ui::SpinId::spnXaxis)
    up ? XZoomIn(p) : XZoomOut(p);
  else if (spin == ui::SpinId::spnYaxis)
    up ? YZoomIn(p) : YZoomOut(p);
}

void PlotMouseDown(Program& p, double x, double y) {
  p.plot.CursorX = static_cast<float>(x);
  p.plot.CursorY = static_cast<float>(y);
  ShowCursorReadout(p);
}

void ShowCursorReadout(Program& p) {
  p.plot.CursorShownAt = p.platform.SecondsSinceMidnight();
  const auto& canvas = p.platform.PlotCanvas();
  p.plot.PlotWidth = static_cast<int16_t>(canvas.Width());
  p.plot.PlotHeight = static_cast<int16_t>(canvas.Height());
  const double w = p.plot.PlotWidth, h = p.plot.PlotHeight;
  if (w <= 0 || h <= 0) return;  // no picture to point into
  const float units = p.Row(profile::row::UnitSystem);
  const char* q = nullptr;
  double k = 0;
  if (units == 0 || units == 2) {
    q = ", G = ";
    k = 200;
  } else if (units == 1) {
    q = ", Acc = ";
    k = 1924;
  }
  if (q) {
    double t = p.plot.CursorX / w * p.plot.XZoom * 100;
    double a = (0.5 * h - p.plot.CursorY) / h * p.plot.YZoom * k;
    p.win.SetCaption(LabelId::lblCursor, "  Time = " + common::FormatMask(t, "###.#") + " Msec. " +
                                             q + common::FormatMask(a, "###.##"));
  }
  p.win.Lbl(LabelId::lblCursor).Visible = true;
}

double SecondsSinceCursor(Program& p) {
  double d = p.platform.SecondsSinceMidnight() - p.plot.CursorShownAt;
  return d < 0 ? d + 86400 : d;  // the timer restarts at midnight
}

void HideCursorIfDue(Program& p) {
  auto& label = p.win.Lbl(LabelId::lblCursor);
  if (!label.Visible || SecondsSinceCursor(p) < 3) return;
  label.Visible = false;
  RefreshPlot(p);
}

}  // namespace display
