#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ui/window.h"

using ui::MenuId;

namespace {

std::vector<std::string> ChildCaptions(MenuId parent) {
  std::vector<std::string> out;
  for (const auto& d : ui::MenuTree())
    if (d.Parent == parent)
      out.emplace_back(d.Kind == ui::MenuKind::Sep ? "-" : std::string(d.Caption));
  return out;
}

}  // namespace

TEST(MenuTree, TopMenusAndTheirItemsInOrder) {
  EXPECT_EQ(ChildCaptions(MenuId::None),
            (std::vector<std::string>{"&File", "&System", "&Inputs", "&Shock Setup", "&Test Setup",
                                      "Test &Run", "&View", "Tools", "&Help"}));
  EXPECT_EQ(ChildCaptions(MenuId::mnuFile),
            (std::vector<std::string>{"&Open Profile", "Open KRX-4 Profile", "Open &Report",
                                      "&Save Profile", "Save Report", "Export Test Data",
                                      "Export SRS", "Test &History...", "-", "Printer Setup",
                                      "Print Color", "&Print Report", "-", "E&xit"}));
  EXPECT_EQ(
      ChildCaptions(MenuId::mnuRun),
      (std::vector<std::string>{"&Equalize", "&Pretest", "&Start", "&Abort", "Run &Procedure..."}));
  EXPECT_EQ(ChildCaptions(MenuId::mnuHelp),
            (std::vector<std::string>{"&About Software", "What's New?", "Help File", "&Keyboard"}));
  EXPECT_EQ(ChildCaptions(MenuId::mnuShockShape),
            (std::vector<std::string>{"Half-Sine", "Triangle", "Trapezoid", "I. P. Sawtooth",
                                      "T. P. Sawtooth", "Quarter-Sine", "Parabolic Cusp",
                                      "Sine Burst", "Custom Shape"}));
  EXPECT_EQ(ChildCaptions(MenuId::mnuTestComp),
            (std::vector<std::string>{"Minimum Load", "Moderate Load", "Normal Load", "Heavy Load",
                                      "Maximum Load"}));
  EXPECT_EQ(ui::Def(MenuId::mnuViewRefresh).Caption, "&Refresh Screen       X");
  EXPECT_EQ(ui::Def(MenuId::mnuSystemUnitsHybrid).Caption, "&Hybrid ( MM And G )");
  EXPECT_EQ(ui::Def(MenuId::mnuShockSample1024).Caption, "10.24 Khz.");
}

TEST(MenuTree, NamesAreUniqueAndParentsComeFirst) {
  std::set<std::string_view> names;
  std::set<MenuId> seen;
  for (const auto& d : ui::MenuTree()) {
    EXPECT_TRUE(names.insert(d.Name).second) << d.Name;
    if (d.Parent != MenuId::None) {
      EXPECT_TRUE(seen.count(d.Parent)) << d.Name;
      auto k = ui::Def(d.Parent).Kind;
      EXPECT_TRUE(k == ui::MenuKind::Top || k == ui::MenuKind::Sub) << d.Name;
    } else {
      EXPECT_EQ(d.Kind, ui::MenuKind::Top);
    }
    seen.insert(d.Id);
    EXPECT_EQ(ui::MenuByName(d.Name), d.Id);
  }
  EXPECT_EQ(ui::MenuByName("mnuNoSuchItem"), MenuId::None);
}

TEST(MenuTree, ArraysOfSixteenCarryTheChannelNumber) {
  ui::Window w;
  for (MenuId id : {MenuId::mnuSystemCalGain, MenuId::mnuInputsSens, MenuId::mnuInputsCurrent,
                    MenuId::mnuViewResponse}) {
    EXPECT_EQ(ui::Def(id).Kind, ui::MenuKind::Array);
    EXPECT_NE(ui::ArraySlot(id), -1);
  }
  EXPECT_EQ(w.Menu(MenuId::mnuSystemCalGain, 0).Caption, "Ch#1 Gain");
  EXPECT_EQ(w.Menu(MenuId::mnuInputsSens, 15).Caption, "Ch#16 Sensitivity");
  EXPECT_EQ(w.Menu(MenuId::mnuInputsCurrent, 8).Caption, "Ch#9 Current");
  EXPECT_EQ(w.Menu(MenuId::mnuViewResponse, 11).Caption, "Ch#12 Response");
  // Items of one array are separate.
  w.Check(MenuId::mnuViewResponse, true, 3);
  EXPECT_TRUE(w.Checked(MenuId::mnuViewResponse, 3));
  EXPECT_FALSE(w.Checked(MenuId::mnuViewResponse, 2));
  EXPECT_THROW(w.Menu(MenuId::mnuViewResponse, 16), std::out_of_range);
}

TEST(Window, DesignStateOfMarksLabelsAndTimers) {
  ui::Window w;
  std::set<std::string_view> checked;
  for (const auto& d : ui::MenuTree())
    if (w.Checked(d.Id)) checked.insert(d.Name);
  EXPECT_EQ(checked, (std::set<std::string_view>{"mnuViewChannelsAll", "mnuViewTest", "mnuViewVel",
                                                 "mnuViewDisp", "mnuFileColorsMono"}));
  EXPECT_EQ(w.Lbl(ui::LabelId::lblElapsedTime).Caption, "E.T.=OO:OO:OO");
  EXPECT_EQ(w.Lbl(ui::LabelId::lblY8).Caption, "-60");
  EXPECT_EQ(w.Lbl(ui::LabelId::LblAcc).Caption, "00.0");
  EXPECT_EQ(w.Button(ui::ButtonId::cmdPreTest).Caption, "PRE-TEST");
  EXPECT_FALSE(w.GetTimer(ui::TimerId::tmrTimer1).Enabled);
  EXPECT_EQ(w.GetTimer(ui::TimerId::tmrTimer1).Interval, 1000);
  EXPECT_TRUE(w.GetTimer(ui::TimerId::tmrTimer3).Enabled);
  EXPECT_EQ(w.GetTimer(ui::TimerId::tmrTimer3).Interval, 250);
  EXPECT_EQ(w.Caption, "KRX-8 CLASSICAL SHOCK CONTROLLER");
}
