#include "display/srs_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/srs_inputs.h"
#include "display/draw.h"
#include "plot_fixture.h"

namespace display_test {
namespace {

using ui::LabelId;
using ui::SpinId;

struct MaximaxTest : PlotTest {
  // A 15 G half-sine as the reference and as channels 1 and 12 (10 counts per G).
  void SetUp() override {
    PlotTest::SetUp();
    for (int i = 205; i <= 256; ++i) {
      const double r = std::sin(3.14159 * (i - 204.8) / 51.2);
      p.wave.ReferencePulse[i] = static_cast<float>(80 * r);
      SetSample(1, i, static_cast<int16_t>(150 * r));
      SetSample(12, i, static_cast<int16_t>(75 * r));
    }
    p.control.SystemEqualized = 1;
    p.daq.SixteenChannelFlag = 1;
  }
};

TEST_F(MaximaxTest, ItExcludesTheOtherViewsButKeepsTheChannelChoice) {
  auto& w = p.win;
  h.Click(MenuId::mnuViewResponse, 0);
  h.Click(MenuId::mnuViewResponse, 11);
  h.Click(MenuId::mnuViewMaximax);
  EXPECT_TRUE(w.Checked(MenuId::mnuViewMaximax));
  EXPECT_TRUE(w.Checked(MenuId::mnuViewResponse, 0));  // the response items choose the curves
  EXPECT_EQ(p.srs.Channels, analysis::ChannelBit(1) | analysis::ChannelBit(12));
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 0);  // no time trace under the log axes

  for (MenuId other : {MenuId::mnuViewTest, MenuId::mnuViewDrive, MenuId::mnuViewSRS}) {
    h.Click(other);
    EXPECT_FALSE(w.Checked(MenuId::mnuViewMaximax)) << static_cast<int>(other);
    h.Click(MenuId::mnuViewMaximax);
    EXPECT_FALSE(w.Checked(other)) << static_cast<int>(other);
  }
  h.Click(MenuId::mnuViewResponse, 3);
  EXPECT_FALSE(w.Checked(MenuId::mnuViewMaximax));
  h.Click(MenuId::mnuViewMaximax);
  profile::RecomputeProfile(p);  // the recompute returns to the test profile
  EXPECT_FALSE(w.Checked(MenuId::mnuViewMaximax));
  EXPECT_TRUE(w.Checked(MenuId::mnuViewTest));
}

TEST_F(MaximaxTest, CurvesLegendAndAxesFollowTheSpectra) {
  ShowOnlyChannels({1, 12});
  for (float units : {0.0f, 1.0f}) {
    p.Row(profile::row::UnitSystem) = units;
    p.Row(profile::row::PulseAmplitude) = units == 1 ? 147.06f : 15;  // 15 G either way
    h.Click(MenuId::mnuViewMaximax);
    const auto& r = p.srs.Result;
    ASSERT_EQ(r.Count, 72);
    EXPECT_EQ(CountTexts(display::kMaximaxTitle), 1);
    EXPECT_EQ(CountTexts("Q = 10"), 1);
    EXPECT_EQ(CountTexts("Reference- -"), 1);
    EXPECT_EQ(p.win.Lbl(LabelId::lblDisplay).Caption, "MAXIMAX SRS  Q = 10");
    EXPECT_EQ(p.win.Lbl(LabelId::lblXaxis).Caption, " HZ. ");
    EXPECT_EQ(p.win.Lbl(LabelId::lblY5).Caption, "");
    EXPECT_FALSE(p.win.Spin(SpinId::spnXaxis).Visible);
    EXPECT_FALSE(p.win.Spin(SpinId::spnYaxis).Visible);

    // The reference peaks near 1.7 x 15 G: the axis ends at the decade above it.
    const double unit = units == 1 ? 9.807 : 1;
    int topLabels = 0;  // under the top line
    for (const auto& i : canvas.Items)
      topLabels += i.What == Primitive::Text && i.Str == (units == 1 ? "1000" : "100") &&
                   i.Y1 < 0.05 * canvas.H;
    EXPECT_EQ(topLabels, 1);
    EXPECT_EQ(CountTexts(units == 1 ? "MAXIMAX SRS- M/Sec.^2" : "MAXIMAX SRS- G-Peak"), 1);
    // One curve per input on log axes from 10 Hz and down three decades: the channels' solid,
    // the reference's dashed over them, from its first point on.
    const double top = units == 1 ? 1000 : 100;
    auto at = [&](int f, int lane) {
      return std::pair{canvas.W * std::log10(r.Frequency[f] / 10) / std::log10(1000 / 10.0),
                       canvas.H * (1 - std::log10(r.Maximax[f][lane] * unit / top * 1000) / 3)};
    };
    for (auto [lane, color] :
         {std::pair{1, display::color::LightRed}, {12, display::color::LightBlue}}) {
      const auto lines = Lines(color);
      ASSERT_EQ(lines.size(), 71u) << lane;
      EXPECT_NEAR(lines.back().X2, at(71, lane).first, 1e-6);
      EXPECT_NEAR(lines.back().Y2, at(71, lane).second, 1e-6) << lane;
    }
    const auto dashes = Lines(display::color::White);
    ASSERT_GT(dashes.size(), 71u);
    EXPECT_NEAR(dashes.front().X1, at(0, 0).first, 1e-6);
    EXPECT_NEAR(dashes.front().Y1, at(0, 0).second, 1e-6);
    // Channel 12 saw half the reference, channel 1 all of it.
    EXPECT_NEAR(r.Maximax[40][12] * 2, r.Maximax[40][0], 0.03 * r.Maximax[40][0]);
    EXPECT_NEAR(r.Maximax[40][1], r.Maximax[40][0], 0.03 * r.Maximax[40][0]);
    h.Click(MenuId::mnuViewMaximax);
  }
}

TEST_F(MaximaxTest, QualityFactorIsAskedWithinItsBounds) {
  auto& q = p.Row(profile::row::SrsQuality);
  EXPECT_EQ(q, 0);  // a profile that never set it: Q 10
  for (const char* wrong : {"1.9", "51"}) {
    h.plat.Inputs.push_back(wrong);
    h.Click(MenuId::mnuViewSRSQ);
    EXPECT_EQ(q, 0);
  }
  ASSERT_EQ(h.plat.CountBoxes(" Out Of Bounds"), 2);
  EXPECT_EQ(h.plat.Boxes.back().Text, " The Number must be between 2 and 50.");
  EXPECT_EQ(h.plat.Prompts.back().Default, "10");
  h.plat.Inputs.push_back("25");
  h.Click(MenuId::mnuViewSRSQ);
  EXPECT_EQ(q, 25);
  h.Click(MenuId::mnuViewSRSQ);  // cancelled: kept
  EXPECT_EQ(q, 25);
  EXPECT_EQ(h.plat.Prompts.back().Default, "25");
  h.Click(MenuId::mnuViewMaximax);
  EXPECT_EQ(p.srs.Result.Q, 25);
  EXPECT_EQ(CountTexts("Q = 25"), 1);
}

}  // namespace
}  // namespace display_test
