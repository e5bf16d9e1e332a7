#include "daq/discovery.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/system_settings.h"
#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;

namespace {

constexpr MenuId kChannelMenus[] = {MenuId::mnuSystemCalGain, MenuId::mnuInputsCurrent,
                                    MenuId::mnuInputsSens, MenuId::mnuViewResponse};
const char* kNoHardware = " No hardware was detected. The Software has been put in the Demo Mode";

// Runs in an empty folder of its own, so no profile or calibration file is found.
class DiscoveryTest : public ::testing::Test {
 protected:
  bool Enabled(MenuId id, int i) const { return h.prog.win.Menu(id, i).Enabled; }
  void ExpectChannelsEnabled(int upTo) const {
    for (MenuId id : kChannelMenus)
      for (int i = 0; i < 16; ++i) EXPECT_EQ(Enabled(id, i), i < upTo) << ui::Def(id).Name << i;
  }
  testing_support::TempDir dir_;
  testing_support::InDirectory in_{dir_.Path()};
  Harness h;
  Program& p = h.prog;
};

TEST_F(DiscoveryTest, StartUpWithoutDriverLibraryOpensInDemoMode) {
  h.Start();
  EXPECT_EQ(h.plat.CountBoxes("Install Error"), 1);
  bool found = false;
  for (const auto& b : h.plat.Boxes)
    if (b.Title == "Install Error") found = b.Text == kNoHardware;
  EXPECT_TRUE(found);
  EXPECT_EQ(p.daq.DemoMode, 1.0f);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuTestDemo));
  EXPECT_TRUE(p.win.Shown);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemActiveChannels8));
  ExpectChannelsEnabled(8);
  EXPECT_FALSE(p.win.Menu(MenuId::mnuViewChannelsUpper).Enabled);
  EXPECT_EQ(p.daq.DeviceName, "DaqBoard1K0");
  EXPECT_EQ(p.Row(profile::row::PretestLevelDb), 5.0f);
  EXPECT_EQ(p.daq.SerialWordsSent, 0);  // demo mode never reaches the lines
}

TEST_F(DiscoveryTest, OtherInterfaceOpensNothingAndLeavesDemoOff) {
  profile::SetProfileDefaults(p);
  for (float type : {0.0f, 2.0f}) {
    p.Row(profile::row::InterfaceType) = type;
    p.Row(profile::row::PretestLevelDb) = 9;
    p.win.Check(MenuId::mnuTestDemo, true);
    daq::HardwareStartup(p);
    EXPECT_TRUE(h.plat.Boxes.empty());
    EXPECT_EQ(p.daq.DemoMode, 0.0f);
    EXPECT_FALSE(p.win.Checked(MenuId::mnuTestDemo));
    EXPECT_EQ(p.daq.MasterHandle, -1);
    EXPECT_EQ(p.daq.DeviceName, "");
    EXPECT_EQ(p.Row(profile::row::PretestLevelDb), 9.0f);  // no acquisition set-up
    ExpectChannelsEnabled(8);
  }
}

TEST_F(DiscoveryTest, DemoModeSkipsTheOpen) {
  profile::SetProfileDefaults(p);
  p.daq.DemoMode = 1.0f;
  daq::HardwareStartup(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.daq.DemoMode, 1.0f);
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[1], 16 * 13.108f * 10);  // gains set up even so
}

TEST_F(DiscoveryTest, ChannelCountChoicesSetTheMenus) {
  h.Start();
  h.plat.Boxes.clear();
  h.Click(MenuId::mnuSystemActiveChannels4);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemActiveChannels4));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemActiveChannels8));
  EXPECT_EQ(p.Row(profile::row::ActiveChannelsCode), 0.0f);
  ExpectChannelsEnabled(4);

  // Sixteen channels run the start-up again; in demo mode nothing is opened.
  h.Click(MenuId::mnuSystemActiveChannels16);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemActiveChannels16));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemActiveChannels4));
  EXPECT_EQ(p.daq.SixteenChannelFlag, 1);
  ExpectChannelsEnabled(16);
  EXPECT_TRUE(p.win.Menu(MenuId::mnuViewChannelsLower).Enabled);
  EXPECT_TRUE(p.win.Menu(MenuId::mnuViewChannelsUpper).Enabled);

  // Out of demo mode the second start-up tries the master again and falls back.
  p.daq.DemoMode = 0;
  h.Click(MenuId::mnuSystemActiveChannels16);
  EXPECT_EQ(h.plat.CountBoxes("Install Error"), 1);
  EXPECT_EQ(p.daq.DemoMode, 1.0f);

  h.Click(MenuId::mnuSystemActiveChannels8);
  EXPECT_EQ(p.daq.SixteenChannelFlag, 0);
  ExpectChannelsEnabled(8);
}

}  // namespace
