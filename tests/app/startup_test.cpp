#include "app/startup.h"

#include <gtest/gtest.h>

#include "control/stop.h"
#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;

TEST(Startup, InitialisesInOrderAndOpensTheWindowIdle) {
  Harness h;
  EXPECT_FALSE(h.prog.win.Shown);
  h.Start();
  Program& p = h.prog;
  EXPECT_TRUE(p.win.Shown);
  EXPECT_EQ(p.profile.DealerIndex, 5);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));
  EXPECT_FALSE(p.win.Img(ui::ImageId::imgSine).Visible);
  EXPECT_EQ(p.run.PulseCount, 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuViewTest));
  EXPECT_TRUE(p.win.Checked(MenuId::mnuShockShapeHalfsine));
  EXPECT_GE(p.plot.RefreshCount, 1);
  EXPECT_EQ(p.control.SystemEqualized, 0);
  // " DEFAULT PROFILE" names the profile, not the test title.
  EXPECT_EQ(p.profile.Record.TestTitle.find("RESPONSE PLOT FOR SHOCK TEST #"), 10u);
}

TEST(Startup, StopTestIdlesTheRunControls) {
  Harness h;
  h.Start();
  Program& p = h.prog;
  p.win.Check(MenuId::mnuRunStart, true);
  p.win.Check(MenuId::mnuRunEqual, true);
  p.win.Button(ui::ButtonId::cmdStart).ForeColor = ui::kRed;
  p.win.Img(ui::ImageId::imgSine).Visible = true;
  p.run.PulseCount = 3;
  p.daq.DemoMode = 1;
  int refreshes = p.plot.RefreshCount;
  control::StopTest(p, run::AbortedBy(run::Source::Operator));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart) || p.win.Checked(MenuId::mnuRunEqual));
  EXPECT_EQ(p.win.Button(ui::ButtonId::cmdStart).ForeColor, ui::kBlack);
  EXPECT_FALSE(p.win.Img(ui::ImageId::imgSine).Visible);
  EXPECT_EQ(p.run.PulseCount, 0);
  EXPECT_EQ(p.plot.RefreshCount, refreshes);  // demo mode: no lines, no redraw
  EXPECT_EQ(p.daq.SerialWordsSent, 0);
  // On the hardware the drive path is released: both fields of the serial word go to 0.
  p.daq.DemoMode = 0;
  p.daq.SerialWordLow = 300;
  p.daq.SerialWordHigh = 7;
  control::StopTest(p, run::AbortedBy(run::Source::Operator));
  EXPECT_EQ(p.daq.SerialWordsSent, 1);
  EXPECT_EQ(p.daq.LastSentWordLow, 0);
  EXPECT_EQ(p.daq.LastSentWordHigh, 0);
  EXPECT_EQ(p.plot.RefreshCount, refreshes + 1);
  p.daq.DemoMode = 1;
  // The stop picture does the same.
  p.win.Check(MenuId::mnuRunPretest, true);
  app::Event e = app::Event::Of(app::EventKind::ImageClick);
  e.Image = ui::ImageId::Image3;
  h.Send(e);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunPretest));
}

TEST(Shutdown, ExitAsksAndNoChangesNothing) {
  Harness h;
  h.Start();
  Program& p = h.prog;
  h.plat.Boxes.clear();  // whatever the start-up reported
  p.win.Check(MenuId::mnuRunStart, true);
  h.plat.Answers.push_back(ui::Answer::No);
  h.Click(MenuId::mnuExit);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "Exit VAV Program?");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::YesNo);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Critical);
  EXPECT_FALSE(h.plat.Ended);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuRunStart));

  h.plat.Paper.IntValue = 9;  // changed while printing
  h.plat.Paper.FloatValue = 9;
  h.plat.Answers.push_back(ui::Answer::Yes);
  h.Click(MenuId::mnuExit);
  EXPECT_TRUE(h.plat.Ended);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));
  EXPECT_EQ(h.plat.Paper.IntValue, 1);    // the saved integer setting is restored
  EXPECT_EQ(h.plat.Paper.FloatValue, 9);  // the menu exit leaves the other one
  // Nothing runs after the end.
  EXPECT_FALSE(h.Click(MenuId::mnuHelpAboutSoftware));
}

TEST(Shutdown, ClosingTheWindowRestoresBothPrinterSettings) {
  Harness h;
  h.Start();
  h.plat.Boxes.clear();
  h.plat.Paper.IntValue = 9;
  h.plat.Paper.FloatValue = 9;
  h.Send(app::Event::Of(app::EventKind::Unload));
  EXPECT_TRUE(h.plat.Ended);
  EXPECT_TRUE(h.plat.Boxes.empty());  // no question on this path
  EXPECT_EQ(h.plat.Paper.IntValue, 1);
  EXPECT_EQ(h.plat.Paper.FloatValue, 1.0f);
}

TEST(HelpMenu, AboutWhatsNewAndTheHelpFile) {
  Harness h;
  h.Start();
  size_t before = h.plat.Boxes.size();
  h.Click(MenuId::mnuHelpAboutSoftware);
  h.Click(MenuId::mnuHelpNew);
  h.Click(MenuId::mnuHelpHelp);
  ASSERT_EQ(h.plat.Boxes.size(), before + 2);
  const auto& about = h.plat.Boxes[before];
  EXPECT_EQ(about.Title, "About the KRX-8 Classical Shock Controller");
  EXPECT_EQ(
      about.Text.rfind("   KRX-8 Windows 'Xp/Vista/7 32 bit Ver. 2.411, 4/05/2013 \r\n\r\n", 0),
      0u);
  const auto& news = h.plat.Boxes[before + 1];
  EXPECT_EQ(news.Title, "What's New");
  EXPECT_EQ(news.Text.rfind(" What's New In This Version\r\n\r\n", 0), 0u);
  ASSERT_EQ(h.plat.HelpShown.size(), 1u);
  EXPECT_EQ(h.plat.HelpShown[0], "KRX8VAV.HLP");
}

TEST(Events, OneHandlerAtATime) {
  Harness h;
  h.Start();
  h.prog.run.Busy = true;
  EXPECT_FALSE(h.Click(MenuId::mnuHelpAboutSoftware));
  h.prog.run.Busy = false;
  EXPECT_TRUE(h.Click(MenuId::mnuHelpAboutSoftware));
  EXPECT_FALSE(h.prog.run.Busy);
}

namespace {
// A start-up that ends on the PCI hardware with both boards in use.
void OnTwoBoards(Harness& h) {
  h.Start();
  h.plat.Boxes.clear();
  Program& p = h.prog;
  p.daq.DemoMode = 0;
  p.Row(profile::row::InterfaceType) = 1;
  p.daq.MasterHandle = 0;
  p.daq.SlaveHandle = 1;
  p.daq.ActiveHandle = 0;
  p.daq.SixteenChannelFlag = 1;
  p.daq.LastShiftedByte = -1;
  p.daq.Port1Writes = 0;
}
}  // namespace

TEST(Shutdown, TheLinesAreResetOnTheHardwareOnly) {
  {
    // The menu exit resets the master's port only.
    Harness h;
    OnTwoBoards(h);
    h.plat.Answers.push_back(ui::Answer::Yes);
    h.Click(MenuId::mnuExit);
    EXPECT_TRUE(h.plat.Ended);
    EXPECT_EQ(h.prog.daq.LastShiftedByte, 0);
    EXPECT_EQ(h.prog.daq.Port1Writes, 1);
    EXPECT_EQ(h.prog.daq.LastPort1Handle, 0);
    EXPECT_EQ(h.prog.daq.LastPort1Value, 12);
  }
  {
    // Closing the window resets the master with 12, then the slave with 11, and leaves
    // the master active.
    Harness h;
    OnTwoBoards(h);
    h.Send(app::Event::Of(app::EventKind::Unload));
    EXPECT_TRUE(h.plat.Ended);
    EXPECT_EQ(h.prog.daq.Port1Writes, 2);
    EXPECT_EQ(h.prog.daq.LastPort1Handle, 1);
    EXPECT_EQ(h.prog.daq.LastPort1Value, 11);
    EXPECT_EQ(h.prog.daq.ActiveHandle, 0);
  }
  for (bool demo : {true, false}) {
    // Demo mode, or an interface other than the PCI card: the lines are left alone.
    Harness h;
    OnTwoBoards(h);
    if (demo)
      h.prog.daq.DemoMode = 1;
    else
      h.prog.Row(profile::row::InterfaceType) = 2;
    h.Send(app::Event::Of(app::EventKind::Unload));
    EXPECT_TRUE(h.plat.Ended);
    EXPECT_EQ(h.prog.daq.Port1Writes, 0) << demo;
    EXPECT_EQ(h.prog.daq.LastShiftedByte, -1) << demo;
  }
}
