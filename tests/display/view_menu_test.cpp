#include <gtest/gtest.h>

#include "plot_fixture.h"

namespace display_test {
namespace {

using ViewMenuTest = PlotTest;

TEST_F(ViewMenuTest, MainViewsExcludeEachOther) {
  auto& w = p.win;
  h.Click(MenuId::mnuViewResponse, 2);
  EXPECT_TRUE(w.Checked(MenuId::mnuViewResponse, 2));
  EXPECT_FALSE(w.Checked(MenuId::mnuViewTest));
  h.Click(MenuId::mnuViewResponse, 11);  // several responses together
  EXPECT_TRUE(w.Checked(MenuId::mnuViewResponse, 2));

  h.Click(MenuId::mnuViewDrive);
  EXPECT_TRUE(w.Checked(MenuId::mnuViewDrive));
  EXPECT_FALSE(w.Checked(MenuId::mnuViewResponse, 2));
  EXPECT_TRUE(w.Checked(MenuId::mnuViewResponse, 11));  // only items 0..7 are cleared
  EXPECT_EQ(CountTexts(" DRIVE WAVEFORM "), 1);

  h.Click(MenuId::mnuViewSRS);
  EXPECT_FALSE(w.Checked(MenuId::mnuViewDrive));
  h.Click(MenuId::mnuViewTest);
  EXPECT_FALSE(w.Checked(MenuId::mnuViewSRS));
  EXPECT_TRUE(w.Checked(MenuId::mnuViewTest));
  h.Click(MenuId::mnuViewTest);  // a second click only unchecks it
  EXPECT_FALSE(w.Checked(MenuId::mnuViewTest));
  EXPECT_FALSE(w.Checked(MenuId::mnuViewDrive));
}

TEST_F(ViewMenuTest, ChannelTwelveStaysUnderTheSpectrum) {
  p.control.SystemEqualized = 1;
  h.Click(MenuId::mnuViewResponse, 11);
  h.Click(MenuId::mnuViewSRS);
  EXPECT_EQ(CountTexts(" SHOCK RESPONSE SPECTRUM "), 1);
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 1);
  EXPECT_EQ(Lines(9).size(), 1020u);  // channel 12's acceleration
}

TEST_F(ViewMenuTest, TraceItemsAreStoredInTheProfile) {
  for (auto [id, row] : {std::pair{MenuId::mnuViewAcc, profile::row::ShowAcceleration},
                         {MenuId::mnuViewVel, profile::row::ShowVelocity},
                         {MenuId::mnuViewDisp, profile::row::ShowDisplacement}}) {
    bool was = p.win.Checked(id);
    h.Click(id);
    EXPECT_EQ(p.win.Checked(id), !was);
    EXPECT_EQ(p.Row(row), was ? 1 : 2);
    h.Click(id);
    EXPECT_EQ(p.Row(row), was ? 2 : 1);
  }
}

TEST_F(ViewMenuTest, AccelerationItemHidesOnlyTheProfileAcceleration) {
  p.wave.ReferencePulse.fill(10);
  ASSERT_TRUE(p.win.Checked(MenuId::mnuViewAcc));
  h.Click(MenuId::mnuViewAcc);
  EXPECT_EQ(Lines(12).size(), 0u);
  EXPECT_GT(Lines(14).size(), 0u);
  h.Click(MenuId::mnuViewResponse, 0);
  EXPECT_EQ(Lines(12).size(), 1020u);

  h.Click(MenuId::mnuViewVel);
  h.Click(MenuId::mnuViewDisp);
  EXPECT_EQ(Lines(14).size(), 0u);
  EXPECT_EQ(Lines(13).size(), 0u);
}

TEST_F(ViewMenuTest, ChannelGroupsAndAbortLimits) {
  p.Row(profile::row::ControlMode) = 1;
  h.Click(MenuId::mnuViewResponse, 0);
  h.Click(MenuId::mnuViewResponse, 9);
  h.Click(MenuId::mnuViewChannelsUpper);
  EXPECT_EQ(p.Row(profile::row::ViewChannels), 2);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewChannelsUpper));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewChannelsAll));
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 1);
  EXPECT_EQ(CountTexts("Ch#1---"), 0);
  EXPECT_EQ(CountTexts("Ch#10 --"), 1);
  h.Click(MenuId::mnuViewChannelsLower);
  EXPECT_EQ(p.Row(profile::row::ViewChannels), 1);
  EXPECT_EQ(CountTexts("Ch#1---"), 1);
  EXPECT_EQ(CountTexts("Ch#10 --"), 0);
  h.Click(MenuId::mnuViewChannelsAll);
  EXPECT_EQ(CountTexts(" CH# SHOCK RESPONSE "), 2);

  p.wave.ReferencePulse.fill(10);
  h.Click(MenuId::mnuViewAbort);
  EXPECT_EQ(Lines(15).size(), 2u * 52);
  h.Click(MenuId::mnuViewAbort);
  EXPECT_EQ(Lines(15).size(), 0u);
}

TEST_F(ViewMenuTest, BackgroundAndRefresh) {
  int before = p.plot.RefreshCount;
  h.Click(MenuId::mnuViewRefresh);
  EXPECT_EQ(p.plot.RefreshCount, before + 1);
  h.Click(MenuId::mnuViewPlotColorWhite);
  EXPECT_EQ(p.Row(profile::row::PlotBackground), 1);
  EXPECT_EQ(p.win.PlotBackColor, 15);
  EXPECT_EQ(canvas.Items[0].Color, 15);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewPlotColorWhite));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewPlotColorBlack));
  h.Click(MenuId::mnuViewPlotColorBlack);
  EXPECT_EQ(p.Row(profile::row::PlotBackground), 0);
  EXPECT_EQ(canvas.Items[0].Color, 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewPlotColorBlack));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuViewPlotColorWhite));
}

TEST_F(ViewMenuTest, PrintColourItemsInvertBothMarks) {
  auto& w = p.win;
  ASSERT_TRUE(w.Checked(MenuId::mnuFileColorsMono));
  int before = p.plot.RefreshCount;
  h.Click(MenuId::mnuFileColorsColors);
  EXPECT_TRUE(w.Checked(MenuId::mnuFileColorsColors));
  EXPECT_FALSE(w.Checked(MenuId::mnuFileColorsMono));
  EXPECT_EQ(p.plot.PrintColorMode, 2);
  h.Click(MenuId::mnuFileColorsColors);
  EXPECT_FALSE(w.Checked(MenuId::mnuFileColorsColors));
  EXPECT_TRUE(w.Checked(MenuId::mnuFileColorsMono));
  EXPECT_EQ(p.plot.PrintColorMode, 1);
  h.Click(MenuId::mnuFileColorsMono);
  EXPECT_EQ(p.plot.PrintColorMode, 2);
  EXPECT_EQ(p.plot.RefreshCount, before);  // no redraw
}

}  // namespace
}  // namespace display_test
