#include "display/axes.h"

#include <gtest/gtest.h>

#include <vector>

#include "plot_fixture.h"

namespace display_test {
namespace {

using ui::LabelId;

std::vector<std::string> Captions(const Program& p, std::initializer_list<LabelId> ids) {
  std::vector<std::string> out;
  for (auto id : ids) out.push_back(p.win.Lbl(id).Caption);
  return out;
}

const std::initializer_list<LabelId> kX = {LabelId::lblX1, LabelId::lblX2, LabelId::lblX3,
                                           LabelId::lblX4, LabelId::lblX5};
const std::initializer_list<LabelId> kY = {LabelId::lblY0, LabelId::lblY1, LabelId::lblY2,
                                           LabelId::lblY3, LabelId::lblY4, LabelId::lblY5,
                                           LabelId::lblY6, LabelId::lblY7, LabelId::lblY8};

using AxesTest = PlotTest;

TEST_F(AxesTest, TickLabelsFollowZoomUnitsAndView) {
  p.plot.XZoom = 0.25f;
  display::RefreshPlot(p);
  EXPECT_EQ(Captions(p, kX), (std::vector<std::string>{" 5", " 10", " 15", " 20", " 25"}));
  EXPECT_EQ(p.win.Lbl(LabelId::lblXaxis).Caption, "M-SEC.");
  EXPECT_EQ(Captions(p, kY),
            (std::vector<std::string>{" 25", " 20", " 15", " 10", " 5", " 0", "-5", "-10", "-15"}));
  p.Row(profile::row::UnitSystem) = 1;
  display::RefreshPlot(p);
  EXPECT_EQ(p.win.Lbl(LabelId::lblY0).Caption, " 250");
  EXPECT_EQ(p.win.Lbl(LabelId::lblY8).Caption, "-150");
  p.Row(profile::row::UnitSystem) = 2;
  display::RefreshPlot(p);
  EXPECT_EQ(p.win.Lbl(LabelId::lblY0).Caption, " 25");

  // The spectrum reads frequencies whatever the zoom, and leaves the zoom as it was.
  h.Click(MenuId::mnuViewSRS);
  EXPECT_EQ(Captions(p, kX), (std::vector<std::string>{" 400", " 800", " 1200", " 1600", " 2000"}));
  EXPECT_EQ(p.win.Lbl(LabelId::lblXaxis).Caption, " HZ. ");
  EXPECT_FALSE(p.win.Spin(ui::SpinId::spnXaxis).Visible);
  EXPECT_FLOAT_EQ(p.plot.XZoom, 0.25f);
  EXPECT_EQ(Captions(p, kY), (std::vector<std::string>{" 50", " 45", " 40", " 35", " 30", " 25",
                                                       " 20", " 15", " 10"}));
  h.Click(MenuId::mnuViewTest);
  EXPECT_EQ(p.win.Lbl(LabelId::lblX1).Caption, " 5");
  EXPECT_TRUE(p.win.Spin(ui::SpinId::spnXaxis).Visible);
}

TEST_F(AxesTest, ZoomStepsAndTheirReplacements) {
  auto run = [&](MenuId id, float start, int n) {
    std::vector<float> seen;
    float& z =
        id == MenuId::mnuViewXaxisIn || id == MenuId::mnuViewXaxisOut ? p.plot.XZoom : p.plot.YZoom;
    z = start;
    for (int i = 0; i < n; ++i) {
      h.Click(id);
      seen.push_back(z);
    }
    return seen;
  };
  using V = std::vector<float>;
  EXPECT_EQ(run(MenuId::mnuViewXaxisIn, 1, 4), (V{0.5f, 0.25f, 0.1f, 0.1f}));
  EXPECT_EQ(run(MenuId::mnuViewXaxisOut, 0.1f, 7), (V{0.25f, 0.5f, 1, 2, 4, 8, 8}));
  EXPECT_EQ(run(MenuId::mnuViewYaxisIn, 1, 7), (V{0.5f, 0.25f, 0.1f, 0.05f, 0.02f, 0.01f, 0.01f}));
  EXPECT_EQ(run(MenuId::mnuViewYaxisOut, 0.01f, 9),
            (V{0.02f, 0.05f, 0.1f, 0.25f, 0.5f, 1, 2, 4, 4}));
  // Each step redraws.
  int before = p.plot.RefreshCount;
  h.Click(MenuId::mnuViewXaxisIn);
  EXPECT_EQ(p.plot.RefreshCount, before + 1);
}

TEST_F(AxesTest, SpinArrowsZoomTheirOwnAxis) {
  p.plot.XZoom = 1;
  p.plot.YZoom = 1;
  h.Spin(ui::SpinId::spnXaxis, true);
  EXPECT_FLOAT_EQ(p.plot.XZoom, 0.5f);
  EXPECT_FLOAT_EQ(p.plot.YZoom, 1);
  h.Spin(ui::SpinId::spnYaxis, false);
  EXPECT_FLOAT_EQ(p.plot.YZoom, 2);
  h.Spin(ui::SpinId::spnXaxis, false);
  EXPECT_FLOAT_EQ(p.plot.XZoom, 1);
  EXPECT_EQ(Captions(p, {LabelId::lblX5, LabelId::lblY0}),
            (std::vector<std::string>{" 100", " 200"}));
}

TEST_F(AxesTest, CursorReadoutAndItsHiding) {
  auto press = [&](double x, double y) {
    app::Event e = app::Event::Of(app::EventKind::PlotMouseDown);
    e.X = x;
    e.Y = y;
    h.Send(e);
    return p.win.Lbl(LabelId::lblCursor).Caption;
  };
  auto& label = p.win.Lbl(LabelId::lblCursor);
  label.Visible = false;
  p.plot.XZoom = 2;
  p.plot.YZoom = 0.5f;
  EXPECT_EQ(press(500, 300), "  Time = 100. Msec. , G = .");  // centre: 0 G
  EXPECT_TRUE(label.Visible);
  EXPECT_EQ(press(0, 150), "  Time = . Msec. , G = 25.");  // left edge: 0 ms
  EXPECT_EQ(press(250, 450), "  Time = 50. Msec. , G = -25.");
  p.Row(profile::row::UnitSystem) = 1;
  EXPECT_EQ(press(100, 0), "  Time = 20. Msec. , Acc = 481.");
  p.Row(profile::row::UnitSystem) = 7;  // no unit system: the caption stays
  EXPECT_EQ(press(900, 0), "  Time = 20. Msec. , Acc = 481.");

  // Hidden by the status timer 3 s after the last press, with a redraw.
  h.plat.NowMs += 2900;
  display::HideCursorIfDue(p);
  EXPECT_TRUE(label.Visible);
  int before = p.plot.RefreshCount;
  h.plat.NowMs += 100;
  display::HideCursorIfDue(p);
  EXPECT_FALSE(label.Visible);
  EXPECT_EQ(p.plot.RefreshCount, before + 1);
  display::HideCursorIfDue(p);
  EXPECT_EQ(p.plot.RefreshCount, before + 1);

  // Across midnight the read-out still expires.
  h.plat.StartSeconds = 86400 - 1;
  h.plat.NowMs = 0;
  press(10, 10);
  h.plat.NowMs = 3500;  // the clock now reads 2.5 s after midnight
  display::HideCursorIfDue(p);
  EXPECT_FALSE(label.Visible);
}

TEST_F(AxesTest, LegendsAndSubtitles) {
  p.profile.Record.SubTitle1 = "FIXTURE A";
  p.profile.Record.SubTitle2 = "RUN 2";
  display::RefreshPlot(p);
  const Primitive* t = TextItem("DISPLACEMENT- MILSp-p (X10)");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Color, 13);
  EXPECT_DOUBLE_EQ(t->X1, 110);
  EXPECT_DOUBLE_EQ(t->Y1, 90);
  EXPECT_EQ(TextItem("VELOCITY- IPS-Peak")->Color, 14);
  EXPECT_EQ(TextItem("ACCELERATION- G-Peak")->Color, 12);
  EXPECT_EQ(TextItem("FIXTURE A")->Color, 15);
  EXPECT_DOUBLE_EQ(TextItem("RUN 2")->X1, 500);
  EXPECT_DOUBLE_EQ(TextItem("RUN 2")->Y1, 60);

  // On white the subtitles are drawn in black so that they can be read.
  p.Row(profile::row::PlotBackground) = 1;
  p.Row(profile::row::UnitSystem) = 1;
  display::RefreshPlot(p);
  EXPECT_EQ(TextItem("FIXTURE A")->Color, 0);
  EXPECT_EQ(TextItem("RUN 2")->Color, 0);
  EXPECT_EQ(TextItem("DISPLACEMENT- MM-pk (X10)")->Color, 5);
  EXPECT_TRUE(TextItem("ACCELERATION- M/Sec.^2"));

  // The spectrum blanks the quantity legend; the channel legend lists checked channels.
  h.Click(MenuId::mnuViewResponse, 11);
  h.Click(MenuId::mnuViewResponse, 14);
  h.Click(MenuId::mnuViewSRS);
  EXPECT_TRUE(TextItem(std::string(26, ' ')));
  EXPECT_FALSE(TextItem("VELOCITY- CM/Sec."));
  const Primitive* ch12 = TextItem("Ch#12 --");
  ASSERT_TRUE(ch12);
  EXPECT_EQ(ch12->Color, 9);
  EXPECT_DOUBLE_EQ(ch12->X1, 10);
  EXPECT_NEAR(TextItem("Ch#15 - -")->Y1, 0.61 * 600, 1e-9);
  EXPECT_EQ(TextItem("Ch#15 - -")->Color, 4);
}

}  // namespace
}  // namespace display_test
