#include "print/report_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "display/draw.h"
#include "display/plot.h"
#include "display/srs_view.h"
#include "display/status_panel.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace {

using testing_support::Primitive;
using ui::LabelId;
using ui::MenuId;
namespace row = profile::row;

constexpr double kW = 12240, kH = 15840;  // the recording printer's page

struct PrintTest : ::testing::Test {
  testing_support::Harness h;
  Program& p = h.prog;
  testing_support::RecordingPrinter& paper = h.plat.Paper;

  void SetUp() override {
    profile::SetProfileDefaults(p);
    profile::SyncProfileMenus(p);
    h.plat.Plot.W = 1000;
    h.plat.Plot.H = 600;
    p.wave.SampleFactor = 4;
    p.wave.PulseSamples = 51.2f;  // 10 ms at 5.12 kHz
    p.wave.ReferencePulse.fill(0);
    p.wave.DriveCodes.fill(128);
    for (int c = 1; c <= 16; ++c) p.daq.ChannelScale[c] = 10;
  }

  // A half sine of full amplitude over the main pulse window.
  void HalfSine() {
    const float t = p.wave.PulseSamples;
    for (int i = 0; i <= 1024; ++i)
      if (i >= 4 * t && i <= 5 * t)
        p.wave.ReferencePulse[i] = static_cast<float>(80 * std::sin(M_PI * (i - 4 * t) / t));
  }

  void Print() {
    paper.Items.clear();
    print::PrintReport(p);
  }

  std::vector<Primitive> Lines(int color = -1) const {
    std::vector<Primitive> out;
    for (const auto& i : paper.Items)
      if (i.What == Primitive::Line && (color < 0 || i.Color == color)) out.push_back(i);
    return out;
  }
  // A line of the page from (x1, y1) to (x2, y2), given as fractions of the page.
  bool HasLine(double x1, double y1, double x2, double y2) const {
    for (const auto& l : Lines())
      if (std::fabs(l.X1 - x1 * kW) < 1e-6 && std::fabs(l.Y1 - y1 * kH) < 1e-6 &&
          std::fabs(l.X2 - x2 * kW) < 1e-6 && std::fabs(l.Y2 - y2 * kH) < 1e-6)
        return true;
    return false;
  }
  std::vector<Primitive> ScreenLines(int color) const {
    std::vector<Primitive> out;
    for (const auto& i : h.plat.Plot.Items)
      if (i.What == Primitive::Line && i.Color == color) out.push_back(i);
    return out;
  }
  const Primitive* TextItem(const std::string& t) const {
    for (const auto& i : paper.Items)
      if (i.What == Primitive::Text && i.Str == t) return &i;
    return nullptr;
  }
  // True when `t` is printed at the page fractions (fx, fy).
  bool TextAt(const std::string& t, double fx, double fy) const {
    for (const auto& i : paper.Items)
      if (i.What == Primitive::Text && i.Str == t && std::fabs(i.X1 - fx * kW) < 1e-6 &&
          std::fabs(i.Y1 - fy * kH) < 1e-6)
        return true;
    return false;
  }
};

TEST_F(PrintTest, ThePrintCommandsSendOnePageInTheReportLayout) {
  h.Click(MenuId::mnuFilePrinterSetup);
  ASSERT_EQ(paper.SetupTitles.size(), 1u);
  EXPECT_EQ(paper.SetupTitles[0], "KRX-8 Printer Setup");
  EXPECT_EQ(paper.Docs, 0);

  paper.IntValue = 1;
  h.Click(MenuId::mnuFilePrint);
  EXPECT_EQ(paper.Docs, 1);
  EXPECT_EQ(p.print.PagesPrinted, 1);
  EXPECT_EQ(paper.IntValue, print::kPageLayout);
  EXPECT_EQ(paper.FormImages, 0);
  // The page size stays in the plot's size until the next screen refresh.
  EXPECT_EQ(p.plot.PlotWidth, kW);
  EXPECT_EQ(p.plot.PlotHeight, kH);
  EXPECT_TRUE(h.plat.Boxes.empty());

  // Borders and the plot box are whole rectangles; every line stays on the page.
  EXPECT_TRUE(HasLine(0.01, 0.01, 0.99, 0.01));
  EXPECT_TRUE(HasLine(0.025, 0.975, 0.025, 0.025));
  EXPECT_TRUE(HasLine(0.01, 0.01, 0.025, 0.025));
  EXPECT_TRUE(HasLine(0.9, 0.1, 0.9, 0.7));
  EXPECT_TRUE(HasLine(0.15, 0.64, 0.9, 0.64));    // the last horizontal grid line
  EXPECT_TRUE(HasLine(0.825, 0.1, 0.825, 0.7));   // the last vertical one
  EXPECT_TRUE(HasLine(0.885, 0.69, 0.885, 0.7));  // the last bottom tick
  for (const auto& l : Lines()) {
    EXPECT_GE(std::min(l.X1, l.X2), 0);
    EXPECT_LE(std::max(l.X1, l.X2), kW);
    EXPECT_GE(std::min(l.Y1, l.Y2), 0);
    EXPECT_LE(std::max(l.Y1, l.Y2), kH);
  }
}

TEST_F(PrintTest, ASavedReportPictureIsPrintedAsTheWindowImage) {
  p.files.ReportLoaded = true;
  Print();
  EXPECT_EQ(paper.FormImages, 1);
  EXPECT_EQ(paper.Docs, 1);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(TextItem(" ACC.MODEL# " + p.profile.Record.AccelModel), nullptr);
}

TEST_F(PrintTest, StatusBlockAndAxisLabelsCopyTheWindow) {
  p.profile.Record.AccelModel = "352C";
  p.profile.Record.AccelSerial = "A17";
  p.profile.Record.SubTitle1 = "LOT 7";
  p.win.SetCaption(LabelId::lblComp, " DRIVE LEVEL= 37.5 %");
  p.win.SetCaption(LabelId::lblShockNo, " SHOCK # = 3");
  p.win.SetCaption(LabelId::lblTestTitle, "QUALIFICATION");
  p.win.SetCaption(LabelId::lblY5, " 0 ");
  p.win.SetCaption(LabelId::lblY6, "-5");
  p.win.SetCaption(LabelId::lblY8, "-15");
  p.win.SetCaption(LabelId::lblX5, " 100");
  p.plot.YZoom = 0.25f;
  Print();
  EXPECT_TRUE(TextAt(" ACC.MODEL# 352C", 0.075, 0.755));
  EXPECT_TRUE(TextAt(" ACC.SERIAL# A17", 0.075, 0.805));
  EXPECT_TRUE(TextAt(" SHOCK # = 3", 0.297, 0.755));
  EXPECT_TRUE(TextAt(" DRIVE LEVEL= 37.5 %", 0.74, 0.905));
  EXPECT_TRUE(TextAt("QUALIFICATION", 0.2, 0.07));
  EXPECT_TRUE(TextAt(" 0 ", 0.11, 0.39));
  EXPECT_TRUE(TextAt("-15", 0.1, 0.57));
  EXPECT_TRUE(TextAt(" 100", 0.88, 0.71));
  EXPECT_TRUE(TextAt("LOT 7", 0.5, 0.18));
  EXPECT_TRUE(TextAt("MSEC", 0.5, 0.71));
  EXPECT_TRUE(TextAt(" 0", 0.13, 0.71));
  // English legend with the two extra Y labels below the last one.
  EXPECT_TRUE(TextAt("ACCELERATION- G-Peak", 0.225, 0.12));
  EXPECT_TRUE(TextAt("DISPLACEMENT- MILSp-p (X10)", 0.225, 0.24));
  EXPECT_TRUE(TextAt("-20", 0.1, 0.63));
  EXPECT_TRUE(TextAt("-25", 0.1, 0.69));
  // The dealer banner, centred in the printer's own text width.
  const std::string banner = display::DealerBanner(p.profile.DealerIndex);
  ASSERT_NE(TextItem(banner), nullptr);
  EXPECT_DOUBLE_EQ(TextItem(banner)->X1, (kW - 100.0 * banner.size()) / 2);
  EXPECT_DOUBLE_EQ(TextItem(banner)->Y1, 0.039 * kH);

  p.Row(row::UnitSystem) = 1;
  Print();
  EXPECT_TRUE(TextAt("ACCELERATION- M/Sec.^2", 0.175, 0.12));
  EXPECT_TRUE(TextAt("-200", 0.1, 0.63));
  EXPECT_TRUE(TextAt("-250", 0.1, 0.69));

  p.Row(row::UnitSystem) = 2;
  Print();
  EXPECT_EQ(TextItem("ACCELERATION- G-Peak"), nullptr);
  EXPECT_EQ(TextItem("VELOCITY- CM/Sec."), nullptr);
  EXPECT_EQ(TextItem("-20"), nullptr);
}

TEST_F(PrintTest, ChannelLegendFollowsTheViewChannelsSetting) {
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewResponse, true, 2);
  p.win.Check(MenuId::mnuViewResponse, true, 11);
  Print();
  EXPECT_TRUE(TextAt("Ch#3---", 0.155, 0.18));
  EXPECT_TRUE(TextAt("Ch#12---", 0.155, 0.45));
  p.Row(row::ViewChannels) = 1;
  Print();
  EXPECT_NE(TextItem("Ch#3---"), nullptr);
  EXPECT_EQ(TextItem("Ch#12---"), nullptr);
  p.Row(row::ViewChannels) = 2;
  Print();
  EXPECT_EQ(TextItem("Ch#3---"), nullptr);
  EXPECT_NE(TextItem("Ch#12---"), nullptr);
}

TEST_F(PrintTest, MonochromePrintsEverythingBlackAndColoursKeepTheScreenColours) {
  HalfSine();
  p.win.Check(MenuId::mnuViewAcc, true);
  p.win.Check(MenuId::mnuViewAbort, true);
  p.win.Check(MenuId::mnuViewResponse, true, 1);
  p.control.SystemEqualized = 1;
  display::RefreshPlot(p);
  p.win.Check(MenuId::mnuViewResponse, true, 1);  // alongside the test profile
  p.plot.PrintColorMode = 1;
  Print();
  for (const auto& i : paper.Items) {
    if (i.What == Primitive::Line || i.What == Primitive::Text) {
      ASSERT_EQ(i.Color, 0) << i.Str;
    }
  }

  p.plot.PrintColorMode = 2;
  Print();
  EXPECT_FALSE(Lines(12).empty());  // profile acceleration
  EXPECT_FALSE(Lines(14).empty());  // velocity
  EXPECT_FALSE(Lines(13).empty());  // displacement and channel 2
  EXPECT_EQ(TextItem("VELOCITY- IPS-Peak")->Color, 14);
  EXPECT_EQ(TextItem("Ch#2---")->Color, 13);
  // White would vanish on the paper: the abort band and the title are black.
  EXPECT_TRUE(Lines(15).empty());
  EXPECT_EQ(TextItem(" TEST PROFILE ")->Color, 0);
}

// All black on a monochrome page, velocity is printed dashed and displacement dotted (the
// profile's and the channels'), and the legend says so; the colour page stays solid.
TEST_F(PrintTest, MonochromeTellsVelocityAndDisplacementApartByTheirPatterns) {
  using ui::LineStyle;
  HalfSine();
  p.win.Check(MenuId::mnuViewAcc, true);
  p.plot.PrintColorMode = 2;
  Print();
  const auto vel = Lines(display::color::Yellow), disp = Lines(display::color::LightMagenta);
  ASSERT_FALSE(vel.empty());
  ASSERT_FALSE(disp.empty());
  for (const auto& l : Lines()) ASSERT_EQ(l.Style, LineStyle::Solid);
  EXPECT_EQ(TextItem("(dashed)"), nullptr);

  p.plot.PrintColorMode = 1;
  Print();
  auto styled = [&](LineStyle s) {
    std::vector<Primitive> out;
    for (const auto& l : Lines())
      if (l.Style == s) out.push_back(l);
    return out;
  };
  const auto dashed = styled(LineStyle::Dashed), dotted = styled(LineStyle::Dotted);
  ASSERT_EQ(dashed.size(), vel.size());
  ASSERT_EQ(dotted.size(), disp.size());
  for (size_t k = 0; k < vel.size(); ++k) EXPECT_DOUBLE_EQ(dashed[k].Y2, vel[k].Y2);
  for (size_t k = 0; k < disp.size(); ++k) EXPECT_DOUBLE_EQ(dotted[k].Y2, disp[k].Y2);
  // Each pattern named right after its legend (the recording printer's text is 100 a letter).
  auto follows = [&](const std::string& legend, const std::string& pattern) {
    const Primitive *l = TextItem(legend), *t = TextItem(pattern);
    return l && t && t->Y1 == l->Y1 && t->X1 == l->X1 + 100.0 * (legend.size() + 1);
  };
  EXPECT_TRUE(follows("VELOCITY- IPS-Peak", "(dashed)"));
  EXPECT_TRUE(follows("DISPLACEMENT- MILSp-p (X10)", "(dotted)"));

  // A channel's motion traces too, and the metric legend.
  p.Row(row::UnitSystem) = 1;
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewResponse, true, 0);
  for (int i = 0; i < 1024; ++i) p.daq.ScanBuffer[i * 8] = i > 200 && i < 260 ? 50 : 0;
  Print();
  EXPECT_FALSE(styled(LineStyle::Dashed).empty());
  EXPECT_FALSE(styled(LineStyle::Dotted).empty());
  EXPECT_TRUE(follows("VELOCITY- CM/Sec.", "(dashed)"));
  EXPECT_TRUE(follows("DISPLACEMENT- MM-pk (X10)", "(dotted)"));
}

// The page and the screen show the same curves: each point as a fraction of its plot
// area, from the zero line and from the left edge, compared segment by segment.
void ExpectSameCurves(PrintTest& t, int color) {
  auto screen = t.ScreenLines(color);
  auto page = t.Lines(color);
  ASSERT_GT(page.size(), 100u);
  ASSERT_GE(screen.size(), page.size());
  const double sw = t.h.plat.Plot.W, sh = t.h.plat.Plot.H;
  double largest = 0;
  for (size_t k = 0; k < page.size(); ++k) {
    const double fs = 0.5 - screen[k].Y2 / sh;
    const double fp = (0.4 - page[k].Y2 / kH) / 0.6;
    largest = std::max(largest, std::fabs(fs));
    EXPECT_NEAR(fp, fs, 1e-3 * std::fabs(fs) + 1e-6) << "segment " << k;
    EXPECT_NEAR((page[k].X2 / kW - 0.15) / 0.75, screen[k].X2 / sw, 1e-3);
  }
  EXPECT_GT(largest, 0.02);  // the curve is not flat
}

TEST_F(PrintTest, PrintedKinematicsMatchTheScreenAtEverySamplingFrequency) {
  for (int m : {4, 1}) {
    SCOPED_TRACE(m);
    p.wave.SampleFactor = m;
    p.wave.PulseSamples = 12.8f * m;
    p.wave.ReferencePulse.fill(0);
    HalfSine();
    p.plot.YZoom = 4;  // nothing reaches the edge of the box
    p.plot.PrintColorMode = 2;
    display::RefreshPlot(p);
    Print();
    ExpectSameCurves(*this, 14);  // velocity
    ExpectSameCurves(*this, 13);  // displacement
  }
}

TEST_F(PrintTest, TracesEndAtTheBoxEdgeAndStayInsideIt) {
  HalfSine();
  p.win.Check(MenuId::mnuViewAcc, true);
  p.plot.PrintColorMode = 2;
  p.plot.YZoom = 0.01f;  // every peak far beyond the box
  display::RefreshPlot(p);
  Print();
  auto acc = Lines(12);
  // 5.12 kHz at X zoom 1: point 511 is the last inside 0.9 W.
  ASSERT_EQ(acc.size(), 511u);
  EXPECT_LE(acc.back().X2, 0.9 * kW);
  for (int c : {12, 13, 14, 15})
    for (const auto& l : Lines(c)) {
      EXPECT_GE(std::min(l.Y1, l.Y2), 0.1 * kH - 1e-6);
      EXPECT_LE(std::max(l.Y1, l.Y2), 0.7 * kH + 1e-6);
    }

  // The abort band only over the main pulse, and only with the test profile.
  p.win.Check(MenuId::mnuViewAbort, true);
  p.plot.YZoom = 1;
  p.plot.PrintColorMode = 1;
  Print();
  const size_t withBand = Lines().size();
  p.win.Check(MenuId::mnuViewAbort, false);
  Print();
  const size_t without = Lines().size();
  EXPECT_EQ(withBand - without, 2u * 52u);  // points 205..256, two limits
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewAbort, true);
  Print();
  const size_t bandAlone = Lines().size();
  p.win.Check(MenuId::mnuViewAbort, false);
  Print();
  EXPECT_EQ(bandAlone, Lines().size());
}

TEST_F(PrintTest, ResponsesFollowTheScreensChannelRule) {
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewVel, false);
  p.win.Check(MenuId::mnuViewDisp, false);
  p.win.Check(MenuId::mnuViewResponse, true, 0);
  p.win.Check(MenuId::mnuViewResponse, true, 1);
  p.plot.PrintColorMode = 2;
  for (int i = 0; i < 1024; ++i) {
    p.daq.ScanBuffer[i * 8] = 50;
    p.daq.ScanBuffer[i * 8 + 1] = -50;
  }
  // Auto mode before equalisation: only channel 1.
  Print();
  EXPECT_EQ(Lines(12).size(), 509u);  // points 3..511
  EXPECT_TRUE(Lines(13).empty());
  EXPECT_DOUBLE_EQ(Lines(12)[100].Y2, print::PageY(p, 5, 0.003));
  p.control.SystemEqualized = 1;
  Print();
  EXPECT_EQ(Lines(13).size(), 509u);
  EXPECT_DOUBLE_EQ(Lines(13)[100].Y2, print::PageY(p, -5, 0.003));
}

TEST_F(PrintTest, SpectrumIsOneLineOfTheLastTransform) {
  p.win.Check(MenuId::mnuViewTest, false);
  p.win.Check(MenuId::mnuViewSRS, true);
  p.plot.PrintColorMode = 2;
  // Before any spectrum drawing: zeros, a flat line on the bottom of the box.
  Print();
  auto red = Lines(4);
  ASSERT_EQ(red.size(), 400u);
  for (const auto& l : red) {
    EXPECT_DOUBLE_EQ(l.Y1, 0.7 * kH);
    EXPECT_DOUBLE_EQ(l.Y2, 0.7 * kH);
  }
  EXPECT_TRUE(TextAt(" HZ.", 0.5, 0.71));
  EXPECT_TRUE(TextAt(" SHOCK RESPONSE SPECTRUM ", 0.175, 0.12));
  EXPECT_TRUE(TextAt(" 5", 0.1, 0.63));
  EXPECT_TRUE(TextAt(" 0", 0.1, 0.69));
  EXPECT_TRUE(TextAt(" 0", 0.13, 0.71));  // the X axis starts at 0 Hz
  EXPECT_EQ(TextItem("MSEC"), nullptr);

  // A bin of the transform, joined to its neighbours; the page does not transform again.
  p.plot.YZoom = 1;
  p.plot.SpecRe[10] = 2;  // v = sqrt(10 * 4) = 6.32
  p.plot.SpecIm[11] = NAN;
  Print();
  red = Lines(4);
  const double v = std::sqrt(40.0);
  EXPECT_DOUBLE_EQ(red[9].Y2, kH * (0.7 - v * 0.003));
  EXPECT_DOUBLE_EQ(red[10].Y1, red[9].Y2);
  EXPECT_DOUBLE_EQ(red[10].Y2, 0.7 * kH);
  EXPECT_EQ(p.plot.SpecRe[10], 2);
  // Tall bins are limited to 100, and raised no higher than the top of the box.
  p.plot.SpecRe[10] = 1e6f;
  Print();
  EXPECT_DOUBLE_EQ(Lines(4)[9].Y2, kH * (0.7 - 100 * 0.003));
  p.plot.YZoom = 0.25f;
  Print();
  EXPECT_DOUBLE_EQ(Lines(4)[9].Y2, 0.1 * kH);

  // At 1.28 kHz the line leaves the box after bin 127.
  p.wave.SampleFactor = 1;
  Print();
  EXPECT_EQ(Lines(4).size(), 127u);
}

TEST_F(PrintTest, APrinterFailureOffersRetryThatPrintsTheWholePageAgain) {
  paper.FailEndDocs = 1;
  h.plat.Answers = {ui::Answer::Retry};
  Print();
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  482 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "Printer error");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  EXPECT_EQ(paper.Docs, 2);
  EXPECT_EQ(p.print.PagesPrinted, 1);
  // The second document holds a complete page: both borders drawn twice over all.
  int outerTop = 0;
  for (const auto& l : Lines())
    outerTop += std::fabs(l.Y1 - 0.01 * kH) < 1e-6 && std::fabs(l.Y2 - 0.01 * kH) < 1e-6;
  EXPECT_EQ(outerTop, 2);

  paper.FailEndDoc = true;
  h.plat.Answers = {ui::Answer::Cancel};
  Print();
  EXPECT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(p.print.PagesPrinted, 1);
}

TEST_F(PrintTest, WildSettingsNeverReachThePrinterAsRunawayCoordinates) {
  HalfSine();
  p.win.Check(MenuId::mnuViewAcc, true);
  p.win.Check(MenuId::mnuViewAbort, true);
  p.win.Check(MenuId::mnuViewDrive, true);
  p.plot.XZoom = 0;
  p.plot.YZoom = NAN;
  p.wave.SampleFactor = 0;
  p.Row(row::AbortLevelDb) = 1e9f;
  p.plot.TestLevelG = 1e30f;
  p.wave.DriveCodes.fill(255);
  Print();
  EXPECT_EQ(paper.Docs, 1);
  for (const auto& l : Lines()) {
    ASSERT_TRUE(std::isfinite(l.X1) && std::isfinite(l.Y1) && std::isfinite(l.X2) &&
                std::isfinite(l.Y2));
    EXPECT_LE(std::max(l.X1, l.X2), kW);
    EXPECT_LE(std::max(l.Y1, l.Y2), kH);
  }
}

}  // namespace

TEST_F(PrintTest, MaximaxViewPrintsItsLogAxesAndCurves) {
  HalfSine();
  h.Click(MenuId::mnuViewMaximax);
  Print();
  EXPECT_FALSE(HasLine(0.15, 0.64, 0.9, 0.64));  // no linear grid
  EXPECT_TRUE(HasLine(0.525, 0.1, 0.525, 0.7));  // 100 Hz, half-way along 10 Hz .. 1 kHz
  EXPECT_TRUE(HasLine(0.15, 0.1, 0.9, 0.1));     // the top decade
  EXPECT_TRUE(TextAt(display::kMaximaxTitle, 0.5, 0.12));
  EXPECT_TRUE(TextAt("Q = 10", 0.225, 0.18));
  EXPECT_TRUE(TextAt(" HZ.", 0.5, 0.73));
  EXPECT_FALSE(TextAt(" 0", 0.13, 0.71));
  EXPECT_TRUE(TextAt("100", 0.515, 0.71));

  // The reference curve is the screen's, in the box's proportions: its first dash starts at
  // its first point and it ends where the screen's does.
  const auto& r = p.srs.Result;
  const double top = 100;  // a 15 G half-sine peaks near 25 G
  auto at = [&](int f) {
    return std::pair{kW * (0.15 + 0.75 * std::log10(r.Frequency[f] / 10) / 2),
                     kH * (0.7 - 0.6 * std::log10(r.Maximax[f][0] / top * 1000) / 3)};
  };
  int starts = 0;
  double right = 0;
  for (const auto& l : Lines(display::color::Black)) {
    starts += std::fabs(l.X1 - at(0).first) < 1e-6 && std::fabs(l.Y1 - at(0).second) < 1e-6;
    const bool inBox = l.X1 >= 0.15 * kW && l.Y1 >= 0.1 * kH && l.Y1 <= 0.7 * kH;
    if (inBox && l.X1 != l.X2 && l.Y1 != l.Y2) right = std::fmax(right, l.X2);  // no grid line
  }
  EXPECT_EQ(starts, 1);
  EXPECT_LE(right, at(r.Count - 1).first + 1e-6);
  EXPECT_GT(right, at(r.Count - 2).first);
}
