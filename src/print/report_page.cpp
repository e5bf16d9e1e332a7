#include "print/report_page.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "analysis/accept_program.h"
#include "common/error_box.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "common/run_error.h"
#include "control/waveform.h"
#include "display/axes.h"
#include "display/draw.h"
#include "display/inputs.h"
#include "display/plot.h"
#include "display/response.h"
#include "display/srs_view.h"
#include "display/status_panel.h"
#include "display/system_response.h"
#include "print/response_page.h"
#include "print/srs_page.h"

namespace print {

using ui::LabelId;
using ui::MenuId;
namespace row = profile::row;
namespace color = display::color;

namespace {

constexpr int kPrinterError = 482;
constexpr int kLastPoint = 1023;

// Fonts and pens of the page, in points.
constexpr double kTextPoints = 9;
constexpr double kSmallPoints = 7;
constexpr double kBannerPoints = 14;
constexpr double kFramePen = 1.0;
constexpr double kGridPen = 0.25;
constexpr double kTracePen = 0.75;

// The patterns of the velocity and displacement traces on a monochrome page, and what its
// legend says of them.
constexpr ui::LineStyle kVelocityStyle = ui::LineStyle::Dashed;
constexpr ui::LineStyle kDisplacementStyle = ui::LineStyle::Dotted;
constexpr const char* kDashedLegend = "(dashed)";
constexpr const char* kDottedLegend = "(dotted)";

// The plot box, as fractions of the page.
constexpr double kBoxLeft = 0.15, kBoxRight = 0.9, kBoxTop = 0.1, kBoxBottom = 0.7;
constexpr double kZeroLine = 0.4;

double W(const Program& p) {
  return p.plot.PlotWidth;
}
double H(const Program& p) {
  return p.plot.PlotHeight;
}

// The zoom and sample factors as the screen uses them.
double XZoomOf(const Program& p) {
  return display::XZoomInRange(p.plot.XZoom);
}
double YZoomOf(const Program& p) {
  return display::YZoomInRange(p.plot.YZoom);
}
using display::SampleFactorOf;

bool Colours(const Program& p) {
  return p.plot.PrintColorMode == 2;
}

void Rect(ui::Printer& pr, double x1, double y1, double x2, double y2) {
  pr.Line(x1, y1, x2, y1, color::Black);
  pr.Line(x2, y1, x2, y2, color::Black);
  pr.Line(x2, y2, x1, y2, color::Black);
  pr.Line(x1, y2, x1, y1, color::Black);
}

void Put(Program& p, double fx, double fy, const std::string& text, int screenColor) {
  Paper(p).Text(fx * W(p), fy * H(p), text, PrintInk(p, screenColor));
}

// A motion legend; on a monochrome page followed by the pattern its trace is printed in.
void PutMotion(Program& p, double fx, double fy, const std::string& text, int screenColor,
               const char* pattern) {
  Put(p, fx, fy, text, screenColor);
  if (Colours(p)) return;
  auto& pr = Paper(p);
  const double wide = pr.TextWidth(text + " ");
  pr.Text(fx * W(p) + (wide > 0 ? wide : 0.2 * W(p)), fy * H(p), pattern, color::Black);
}

// Segments of one trace from point first-1 (value 0) onwards; the trace ends at the first
// point past the right edge of the plot box. Segments with a non-finite end are left out.
using display::Points;

void Trace(Program& p, const Points& v, int first, int last, double s, int screenColor,
           ui::LineStyle monoStyle = ui::LineStyle::Solid) {
  auto& pr = Paper(p);
  const int ink = PrintInk(p, screenColor);
  const double right = kBoxRight * W(p);
  // All black on a monochrome page: the motion traces keep apart by their patterns.
  pr.SetLineStyle(Colours(p) ? ui::LineStyle::Solid : monoStyle);
  double x0 = PageX(p, first - 1), y0 = PageY(p, 0, s);
  for (int i = first; i <= last; ++i) {
    const double x1 = PageX(p, i), y1 = PageY(p, v[i], s);
    if (x1 > right) break;
    if (std::isfinite(y0) && std::isfinite(y1)) pr.Line(x0, y0, x1, y1, ink);
    x0 = x1;
    y0 = y1;
  }
  pr.SetLineStyle(ui::LineStyle::Solid);
}

// Velocity and displacement steps per sample. The screen divides by the samples per
// millisecond; so does the page, so that its traces agree with the axis labels and the
// read-outs at every sampling frequency.
struct Steps {
  double vel, disp;
};
Steps StepsOf(const Program& p) {
  const double m = SampleFactorOf(p);
  return {0.08 / (0.25 * m), 0.0153 / (0.25 * m)};
}

double AccelScale() {
  return 0.003;
}
double MotionScale(const Program& p) {
  return p.Row(row::UnitSystem) == 1 ? 0.000762 : 0.003;
}

void TestProfile(Program& p) {
  Points acc{}, vel{}, disp{};
  const Steps k = StepsOf(p);
  float pv = 0, pd = 0;
  for (int i = 1; i <= kLastPoint; ++i) {
    const float a = profile::ReferenceGSingle(p.wave, i, p.plot.TestLevelG);
    pv = static_cast<float>(pv + a * k.vel);
    pd = static_cast<float>(pd + pv * k.disp);
    acc[i] = a;
    vel[i] = pv;
    disp[i] = pd;
  }
  const double sm = MotionScale(p);
  if (p.win.Checked(MenuId::mnuViewAcc))
    Trace(p, acc, 1, kLastPoint, AccelScale(), color::LightRed);
  if (p.win.Checked(MenuId::mnuViewVel))
    Trace(p, vel, 1, kLastPoint, sm, color::Yellow, kVelocityStyle);
  if (p.win.Checked(MenuId::mnuViewDisp))
    Trace(p, disp, 1, kLastPoint, sm, color::LightMagenta, kDisplacementStyle);
}

// The band around the reference over the main pulse, spread about the zero line of the
// box and kept inside the box.
void AbortLimits(Program& p) {
  auto& pr = Paper(p);
  const int ink = PrintInk(p, color::White);
  const double h = H(p), zero = kZeroLine * h, right = kBoxRight * W(p);
  const double g = std::exp(0.115 * p.Row(row::AbortLevelDb));
  if (!std::isfinite(g) || g == 0) return;
  const bool negative = p.Row(row::Polarity) == 2;
  const float from = 4 * p.wave.PulseSamples, to = 5 * p.wave.PulseSamples;
  auto box = [&](double y) { return std::fmin(std::fmax(y, kBoxTop * h), kBoxBottom * h); };
  for (double spread : {g, 1 / g}) {
    float prev = 0;
    for (int i = 1; i <= kLastPoint; ++i) {
      const float v = profile::ReferenceGSingle(p.wave, i, p.plot.TestLevelG, negative);
      if (PageX(p, i) > right) break;
      if (from <= i && i <= to) {
        const double y0 = zero + (PageY(p, prev, AccelScale()) - zero) * spread;
        const double y1 = zero + (PageY(p, v, AccelScale()) - zero) * spread;
        if (std::isfinite(y0) && std::isfinite(y1))
          pr.Line(PageX(p, i - 1), box(y0), PageX(p, i), box(y1), ink);
      }
      prev = v;
    }
  }
}

void ResponseChannel(Program& p, int c) {
  display::ResponseTraces t;
  display::ComputeResponse(p, c, 0.0153, t);
  const Points& acc = t.Accel;
  const Points& vel = t.Velocity;
  const Points& disp = t.Displacement;
  const double sm = MotionScale(p);
  Trace(p, acc, 3, 1022, AccelScale(), display::ChannelColor(c));
  if (p.win.Checked(MenuId::mnuViewVel)) Trace(p, vel, 3, 1022, sm, color::Yellow, kVelocityStyle);
  if (p.win.Checked(MenuId::mnuViewDisp))
    Trace(p, disp, 3, 1022, sm, color::LightMagenta, kDisplacementStyle);
}

// The acceptance band over channel 1's response, as on the screen.
void ToleranceBand(Program& p) {
  analysis::BandLines band;
  analysis::ToleranceBand(p, band);
  auto& pr = Paper(p);
  const int ink = PrintInk(p, color::Green);
  const double right = kBoxRight * W(p);
  for (int i = band.First + 1; i <= band.Last; ++i) {
    if (PageX(p, i) > right) break;
    for (const auto* line : {&band.Upper, &band.Lower})
      pr.Line(PageX(p, i - 1), PageY(p, (*line)[i - 1], AccelScale()), PageX(p, i),
              PageY(p, (*line)[i], AccelScale()), ink);
  }
}

std::string Fixed(double v, int decimals) {
  char s[64];
  std::snprintf(s, sizeof s, "%.*f", decimals, v);
  return s;
}

// With the waveform control on: whether the judged pulse's drive was shaped, and its error.
std::string ShapedText(const Program& p) {
  if (!control::WaveformOn(p)) return "";
  const auto& f = p.shaping;
  if (!f.LastShaped) return "   DRIVE NOT SHAPED";
  return "   DRIVE SHAPED, ERROR " + Fixed(f.LastErrorPct, 1) + " %";
}

// With acceptance on: the settings, channel 1's measures and the verdict, under the
// status block.
void AcceptanceBlock(Program& p) {
  if (!analysis::AcceptanceOn(p)) return;
  auto& pr = Paper(p);
  pr.SetFontSize(kSmallPoints);
  const auto t = analysis::TolerancesOf(p);
  const auto& a = p.accept;
  const auto& r = a.Judged ? a.Settings : t;
  const char* unit = p.Row(row::UnitSystem) == 0 ? " IN/S" : " CM/S";
  Put(p, 0.3, 0.928,
      "ACCEPTANCE: PEAK +/-" + Fixed(r.PeakPct, 1) + " %  WIDTH +/-" + Fixed(r.WidthPct, 1) +
          " %  VEL. CHANGE +/-" + Fixed(r.VelocityPct, 1) + " %  BAND +/-" +
          Fixed(r.BandInsidePct, 1) + " % IN, +/-" + Fixed(r.BandOutsidePct, 1) + " % OUT, " +
          Fixed(r.WindowBefore, 2) + " D BEFORE TO " + Fixed(r.WindowAfter, 2) + " D AFTER" +
          (r.EdgePct > 0 ? " EXCEPT +/-" + Fixed(r.EdgePct, 1) + " % D AT JUMPS" : ""),
      color::Black);
  if (!a.Judged) {
    Put(p, 0.3, 0.944, "CH#1: NO FULL-LEVEL PULSE JUDGED", color::Black);
  } else {
    const auto& m = a.Channel1;
    Put(p, 0.3, 0.944,
        "CH#1: PEAK " + Fixed(m.PeakG, 2) + " G (" + Fixed(m.PeakPct, 1) + " %)  WIDTH " +
            Fixed(m.WidthMs, 2) + " MS (" + Fixed(m.WidthPct, 1) + " %)  VEL. CHANGE " +
            Fixed(m.VelocityChange, 2) + unit + " (" + Fixed(m.VelocityChangePct, 1) +
            " %)  SHIFT " + Fixed(m.ShiftMs, 2) + " MS",
        color::Black);
    Put(p, 0.3, 0.96,
        "BAND: WORST " + Fixed(m.WorstBandPct, 2) + " % AT " + Fixed(m.WorstBandMs, 2) + " MS, " +
            std::to_string(m.SamplesOutside) + " SAMPLES OUTSIDE   " + analysis::VerdictText(m) +
            ShapedText(p),
        m.verdict == analysis::Verdict::Pass ? color::Green : color::Red);
  }
  pr.SetFontSize(kTextPoints);
}

void DriveWaveform(Program& p) {
  Points v{};
  for (int i = 1; i <= kLastPoint; ++i)
    v[i] = static_cast<float>(profile::DriveG(p.wave, i, p.plot.TestLevelG));
  Trace(p, v, 1, kLastPoint, AccelScale(), color::White);
}

// The spectrum as the last screen drawing left it, one connected line of single bins.
void Spectrum(Program& p) {
  auto& pr = Paper(p);
  const int ink = Colours(p) ? color::Red : color::Black;
  const double w = W(p), h = H(p), yz = YZoomOf(p);
  auto y = [&](double v) { return std::fmax(h * (kBoxBottom - v * 0.003 / yz), kBoxTop * h); };
  double prev = 0;
  for (int k = 1; k <= display::kSpectrumBars; ++k) {
    const double re = p.plot.SpecRe[k], im = p.plot.SpecIm[k];
    double v = std::sqrt(k * (re * re + im * im) / yz);
    if (!(v >= 0)) v = 0;  // a NaN bin reads as nothing
    if (v > 100) v = 100;
    const double x1 = PageX(p, k);
    if (x1 > kBoxRight * w) return;
    pr.Line(PageX(p, k - 1), y(prev), x1, y(v), ink);
    prev = v;
  }
}

void EndPage(Program& p) {
  if (!Paper(p).EndDoc()) throw common::RunError(kPrinterError, "Printer error");
  ++p.print.PagesPrinted;
}

}  // namespace

int PrintInk(const Program& p, int screenColor) {
  if (!Colours(p) || screenColor == color::White) return color::Black;
  return screenColor;
}

double PageX(const Program& p, double i) {
  return W(p) * (kBoxLeft + 0.00587 * i / (XZoomOf(p) * SampleFactorOf(p)));
}

double PageY(const Program& p, double v, double s) {
  const double h = H(p);
  const double y = h * (kZeroLine - v * s / YZoomOf(p));
  if (std::isnan(y)) return y;
  return std::fmin(std::fmax(y, kBoxTop * h), kBoxBottom * h);
}

void DrawPrintFrame(Program& p) {
  auto& pr = Paper(p);
  double w = pr.PageWidth(), h = pr.PageHeight();
  // The page size is kept as 16-bit integers; a printer whose units do not fit is given
  // a scale that does, with the same proportions.
  if (!(w >= 1 && h >= 1 && w <= 32767 && h <= 32767)) {
    const bool sane = std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0;
    const double f = sane ? 10000 / std::fmax(w, h) : 1;
    w = sane ? w * f : 10000;
    h = sane ? h * f : 10000;
    pr.Scale(0, 0, w, h);
  }
  p.plot.PlotWidth = common::ToInt16(w);
  p.plot.PlotHeight = common::ToInt16(h);
  w = p.plot.PlotWidth;
  h = p.plot.PlotHeight;

  pr.SetLineWidth(kFramePen);
  Rect(pr, 0.01 * w, 0.01 * h, 0.99 * w, 0.99 * h);
  Rect(pr, 0.025 * w, 0.025 * h, 0.975 * w, 0.975 * h);
  pr.Line(0.01 * w, 0.01 * h, 0.025 * w, 0.025 * h, color::Black);
  pr.Line(0.99 * w, 0.01 * h, 0.975 * w, 0.025 * h, color::Black);
  pr.Line(0.01 * w, 0.99 * h, 0.025 * w, 0.975 * h, color::Black);
  pr.Line(0.99 * w, 0.99 * h, 0.975 * w, 0.975 * h, color::Black);
  Rect(pr, kBoxLeft * w, kBoxTop * h, kBoxRight * w, kBoxBottom * h);

  // The maximax and system response views bring their own log grids (PrintPlot).
  const bool linearGrid = !display::LogAxesShown(p.win);
  pr.SetLineWidth(kGridPen);
  for (int k = 1; k <= 9 && linearGrid; ++k) {
    const double y = (kBoxTop + 0.06 * k) * h;
    pr.Line(kBoxLeft * w, y, kBoxRight * w, y, color::Black);
  }
  for (int k = 1; k <= 19 && linearGrid; ++k) {
    const double y = (kBoxTop + 0.03 * k) * h;
    pr.Line(kBoxLeft * w, y, (kBoxLeft + 0.01) * w, y, color::Black);
  }
  for (int k = 1; k <= 9 && linearGrid; ++k) {
    const double x = (kBoxLeft + 0.075 * k) * w;
    pr.Line(x, kBoxTop * h, x, kBoxBottom * h, color::Black);
  }
  for (int k = 1; k <= 49 && linearGrid; ++k) {
    const double x = (kBoxLeft + 0.015 * k) * w;
    pr.Line(x, 0.69 * h, x, kBoxBottom * h, color::Black);
  }

  // The box around the accelerometer column of the status block.
  pr.SetLineWidth(kFramePen);
  const double left = 0.074 * w, top = 0.75 * h;
  Rect(pr, left, top, left + 0.2217 * w, top + 0.2 * h);
}

void PrintReportText(Program& p) {
  auto& pr = Paper(p);
  auto& win = p.win;
  auto cap = [&](LabelId id) { return win.Lbl(id).Caption; };
  const auto& rec = p.profile.Record;
  pr.SetFontSize(kTextPoints);

  // Status block, column by column.
  const std::array<double, 4> col = {0.075, 0.297, 0.518, 0.74};
  const std::array<double, 4> rowY = {0.755, 0.805, 0.855, 0.905};
  const std::array<std::array<std::string, 4>, 4> block = {{
      {" ACC.MODEL# " + rec.AccelModel, " ACC.SERIAL# " + rec.AccelSerial,
       cap(LabelId::lblTestLevel), cap(LabelId::lblDuration)},
      {cap(LabelId::lblShockNo), cap(LabelId::lblElapsedTime), cap(LabelId::lblTime),
       cap(LabelId::lblDate)},
      {cap(LabelId::lblDref), cap(LabelId::lblVref), cap(LabelId::lblAref),
       cap(LabelId::lblProfile)},
      {cap(LabelId::lblDisp), cap(LabelId::lblVel), cap(LabelId::lblAccBottom),
       cap(LabelId::lblComp)},
  }};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) Put(p, col[c], rowY[r], block[c][r], color::Black);

  static constexpr std::array<LabelId, 9> kY = {LabelId::lblY0, LabelId::lblY1, LabelId::lblY2,
                                                LabelId::lblY3, LabelId::lblY4, LabelId::lblY5,
                                                LabelId::lblY6, LabelId::lblY7, LabelId::lblY8};
  for (int k = 0; k < 9; ++k) {
    const double x = k < 5 ? 0.108 : (k == 5 ? 0.11 : 0.1);
    Put(p, x, 0.09 + 0.06 * k, cap(kY[k]), color::Black);
  }
  static constexpr std::array<LabelId, 5> kX = {LabelId::lblX1, LabelId::lblX2, LabelId::lblX3,
                                                LabelId::lblX4, LabelId::lblX5};
  for (int k = 0; k < 5; ++k) Put(p, 0.28 + 0.15 * k, 0.71, cap(kX[k]), color::Black);

  Put(p, 0.2, 0.07, cap(LabelId::lblTestTitle), color::Black);
  const std::string banner = display::DealerBanner(p.profile.DealerIndex);
  if (!banner.empty()) {
    pr.SetFontSize(kBannerPoints);
    const double x = std::fmax((W(p) - pr.TextWidth(banner)) / 2, 0.03 * W(p));
    pr.Text(x, 0.039 * H(p), banner, color::Black);
    pr.SetFontSize(kTextPoints);
  }

  const float yz = p.plot.YZoom;
  auto number = [&](double fy, float times) {
    Put(p, 0.1, fy, common::NumberText(yz * times), color::Black);
  };
  const bool maximax = display::LogAxesShown(win);
  if (display::SystemResponseShown(win)) {
    display::SystemResponseCurve c;
    display::SystemResponseOf(p, c);
    Put(p, 0.5, 0.73, " HZ.", color::Black);
    Put(p, 0.5, 0.12, display::kSystemResponseTitle, color::White);
    if (c.Count == 0) {
      Put(p, 0.225, 0.12, display::kNoResponseText, color::Black);
    } else {
      Put(p, 0.225, 0.12, display::kMagnitudeLegend, color::LightRed);
      Put(p, 0.225, 0.18, display::kWeightLegend, color::Yellow);
      Put(p, 0.225, 0.24, display::SystemResponseNote(c), color::Black);
    }
  } else if (maximax) {
    Put(p, 0.5, 0.73, " HZ.", color::Black);  // under the tick labels, 100 Hz lies mid-box
    Put(p, 0.5, 0.12, display::kMaximaxTitle, color::White);
    Put(p, 0.225, 0.12, display::SrsQuantityText(p), color::Black);
    Put(p, 0.225, 0.18, display::SrsQText(p), color::Black);
    Put(p, 0.225, 0.24, display::kReferenceLegend, color::White);
  } else if (win.Checked(MenuId::mnuViewSRS)) {
    Put(p, 0.5, 0.71, " HZ.", color::Black);
    Put(p, 0.175, 0.12, " SHOCK RESPONSE SPECTRUM ", color::White);
    number(0.63, 20);
    number(0.69, 0);
  } else {
    Put(p, 0.5, 0.71, "MSEC", color::Black);
    Put(p, 0.5, 0.12, p.plot.PlotTitle, color::White);
    const float units = p.Row(row::UnitSystem);
    if (units == 0) {
      Put(p, 0.225, 0.12, "ACCELERATION- G-Peak", color::LightRed);
      PutMotion(p, 0.225, 0.18, "VELOCITY- IPS-Peak", color::Yellow, kDashedLegend);
      PutMotion(p, 0.225, 0.24, "DISPLACEMENT- MILSp-p (X10)", color::LightMagenta, kDottedLegend);
      number(0.63, -80);
      number(0.69, -100);
    } else if (units == 1) {
      Put(p, 0.175, 0.12, "ACCELERATION- M/Sec.^2", color::LightRed);
      PutMotion(p, 0.175, 0.18, "VELOCITY- CM/Sec.", color::Yellow, kDashedLegend);
      PutMotion(p, 0.175, 0.24, "DISPLACEMENT- MM-pk (X10)", color::Magenta, kDottedLegend);
      number(0.63, -800);
      number(0.69, -1000);
    }
  }
  // The origin of the X axis, in milliseconds or in hertz; the log axes label their own.
  if (!maximax) Put(p, 0.13, 0.71, common::NumberText(0.0f), color::Black);

  static constexpr const char* kLegend[16] = {"Ch#1---",  "Ch#2---",  "Ch#3---",  "Ch#4---",
                                              "Ch#5- -",  "Ch#6- -",  "Ch#7- -",  "Ch#8- -",
                                              "Ch#9---",  "Ch#10---", "Ch#11---", "Ch#12---",
                                              "Ch#13- -", "Ch#14- -", "Ch#15- -", "Ch#16- -"};
  for (int c = 1; c <= 16; ++c)
    if (display::ResponseChecked(p, c))
      Put(p, 0.155, 0.12 + 0.03 * (c - 1), kLegend[c - 1], display::ChannelColor(c));

  Put(p, 0.5, 0.18, rec.SubTitle1, color::White);
  Put(p, 0.5, 0.24, rec.SubTitle2, color::White);
  AcceptanceBlock(p);
}

void PrintPlot(Program& p) {
  auto& w = p.win;
  Paper(p).SetLineWidth(kTracePen);
  if (w.Checked(MenuId::mnuViewTest)) {
    TestProfile(p);
    if (w.Checked(MenuId::mnuViewAbort)) AbortLimits(p);
  }
  // The same channels as on the screen: before equalisation in Auto mode only the
  // control channels of the two boards; none under the maximax spectra.
  const bool maximax = display::LogAxesShown(w);
  for (int c = 1; c <= 16 && !maximax; ++c)
    if (display::ResponseShown(p, c)) ResponseChannel(p, c);
  if (w.Checked(MenuId::mnuViewTolBand) && !maximax && display::ResponseShown(p, 1))
    ToleranceBand(p);
  if (w.Checked(MenuId::mnuViewDrive)) DriveWaveform(p);
  if (w.Checked(MenuId::mnuViewSRS)) Spectrum(p);
  if (w.Checked(MenuId::mnuViewMaximax)) PrintMaximaxSrs(p);
  if (display::SystemResponseShown(w)) PrintSystemResponse(p);
}

void PrintReport(Program& p) {
  auto& pr = Paper(p);
  // A page that failed is gone with its document, so Retry prints the whole page again.
  common::RetryCancel(p.platform, [&] {
    pr.SetIntSetting(kPageLayout);
    if (p.files.ReportLoaded) {
      pr.PrintFormImage();
    } else {
      DrawPrintFrame(p);
      PrintReportText(p);
      PrintPlot(p);
    }
    EndPage(p);
  });
}

}  // namespace print
