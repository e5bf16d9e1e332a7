#include <gtest/gtest.h>

#include "app/menus.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;
namespace row = profile::row;

namespace {

struct MenuBench : Harness {
  MenuBench() {
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
  }
  // Answers one prompt of the item; returns the value of its element afterwards.
  float Answer(MenuId id, const std::string& text, int element) {
    plat.Inputs.push_back(text);
    Click(id);
    return prog.Row(element);
  }
  const std::string& LastBoxText() const { return plat.Boxes.back().Text; }
};

}  // namespace

TEST(SetupMenu, NumericPromptsStoreOnlyAnswersWithinTheirBounds) {
  struct Case {
    MenuId Id;
    int Element;
    const char* Prompt;
    const char* Message;
    std::vector<std::string> Refused;
    std::vector<std::pair<std::string, float>> Accepted;
  };
  const Case cases[] = {
      {MenuId::mnuTestAbortl,
       row::AbortLevelDb,
       "Enter the Abort Level in -Db.",
       " The Number must be between 1 and 20.",
       {"-6", "0.5", "20.01"},
       {{"20", 20}, {"1", 1}}},
      {MenuId::mnuTestPretest,
       row::PretestLevelDb,
       "Enter the PreTest Level in -Db.",
       " The Number must be between .5 and 20.",
       {"0.4", "21"},
       {{"0.5", 0.5f}, {"20", 20}}},
      {MenuId::mnuTestEqual,
       row::EqualizeLevel,
       "Equalization Level",
       " The Number must be between .5 and 10.",
       {"0.49", "10.5"},
       {{"10", 10}, {".5", 0.5f}}},
      {MenuId::mnuTestNumber,
       row::TotalPulses,
       "Enter the total # of Shock Pulses.",
       " The Number must be between 1 and 9999.",
       {"0", "10000"},
       {{"2.5", 2.5f}, {"9999", 9999}}},
      {MenuId::mnuTestRepRate,
       row::RepetitionRate,
       "Enter the Repetition Rate in seconds/pulse",
       " The Number must be between .1 and 999.",
       {"0.09", "1000"},
       {{"0.1", 0.1f}, {"999", 999}}},
      {MenuId::mnuTestDrive,
       row::MaxDriveVolts,
       "Enter the Maximum Drive Level in volts from 0.05 to 10.0.",
       " The Number must be between .05 and 10.",
       {"0.04", "10.01"},
       {{"0.05", 0.05f}, {"10", 10}}},
  };
  for (const auto& c : cases) {
    MenuBench b;
    float start = b.prog.Row(c.Element);
    for (const auto& text : c.Refused) {
      EXPECT_EQ(b.Answer(c.Id, text, c.Element), start) << c.Prompt << " " << text;
      EXPECT_EQ(b.LastBoxText(), c.Message);
      EXPECT_EQ(b.plat.Boxes.back().Title, " Out Of Bounds");
      EXPECT_EQ(b.plat.Boxes.back().ButtonSet, ui::Buttons::OK);
      EXPECT_EQ(b.plat.Boxes.back().IconKind, ui::Icon::None);
    }
    ASSERT_FALSE(b.plat.Prompts.empty());
    EXPECT_EQ(b.plat.Prompts[0].Text, c.Prompt);
    EXPECT_EQ(b.plat.Prompts[0].Title, "Test Setup Parameters");
    for (const auto& [text, value] : c.Accepted)
      EXPECT_EQ(b.Answer(c.Id, text, c.Element), value) << c.Prompt << " " << text;
    EXPECT_EQ(b.plat.Boxes.size(), c.Refused.size());
  }
}

TEST(SetupMenu, NonNumericEmptyOrCancelledAnswersChangeNothingSilently) {
  MenuBench b;
  b.prog.Row(row::AbortLevelDb) = 6;
  for (const char* text : {"abc", "", "6 dB"}) b.Answer(MenuId::mnuTestAbortl, text, 0);
  b.Click(MenuId::mnuTestAbortl);  // no input scripted: cancelled
  EXPECT_EQ(b.prog.Row(row::AbortLevelDb), 6.0f);
  EXPECT_TRUE(b.plat.Boxes.empty());
  EXPECT_EQ(b.plat.Prompts.back().Default, "6");
  EXPECT_EQ(b.prog.plot.RefreshCount, 0);
}

TEST(SetupMenu, TitleAndSubtitles) {
  MenuBench b;
  auto& title = b.prog.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  title = "OLD";
  b.plat.Inputs = {"", "NEW TITLE"};
  b.Click(MenuId::mnuTestTitle);
  EXPECT_EQ(title, "OLD");
  b.Click(MenuId::mnuTestTitle);
  EXPECT_EQ(title, "NEW TITLE");
  EXPECT_EQ(b.plat.Prompts[1].Default, "OLD");
  EXPECT_EQ(b.plat.Prompts[1].Title, "Test Title");
  EXPECT_EQ(b.prog.plot.RefreshCount, 0);

  std::string eighty(80, 'x');
  for (int i = 0; i < 80; ++i) eighty[i] = static_cast<char>('A' + i % 26);
  b.plat.Inputs = {eighty, ""};
  b.Click(MenuId::mnuTestSubTitle1);
  EXPECT_EQ(b.prog.profile.Record.SubTitle1, eighty.substr(0, 65));
  b.Click(MenuId::mnuTestSubTitle1);  // empty: kept, but redrawn all the same
  EXPECT_EQ(b.prog.profile.Record.SubTitle1, eighty.substr(0, 65));
  EXPECT_EQ(b.prog.plot.RefreshCount, 2);
  EXPECT_EQ(b.plat.Prompts.back().Text, "Enter a new Test SubTitle1, below the test title");

  // The cut never splits a character in two.
  std::string accented;
  for (int i = 0; i < 70; ++i) accented += "\xC3\xA9";
  b.plat.Inputs = {accented};
  b.Click(MenuId::mnuTestSubTitle2);
  EXPECT_EQ(b.prog.profile.Record.SubTitle2, accented.substr(0, 130));
  EXPECT_EQ(b.plat.Prompts.back().Text, "Enter a new Test SubTitle2, below SubTitle1");
}

TEST(SetupMenu, CheckMarkItemsToggleAndWriteTheirElements) {
  const std::pair<MenuId, int> items[] = {{MenuId::mnuTestAutoPrint, row::AutoPrint},
                                          {MenuId::mnuTestAutoSave, row::AutoSave},
                                          {MenuId::mnuTestAutoExport, row::AutoExport}};
  MenuBench b;
  for (auto [id, element] : items) {
    b.Click(id);
    EXPECT_TRUE(b.prog.win.Checked(id));
    EXPECT_EQ(b.prog.Row(element), 1.0f);
    b.Click(id);
    EXPECT_FALSE(b.prog.win.Checked(id));
    EXPECT_EQ(b.prog.Row(element), 0.0f);
  }
}

TEST(SetupMenu, ControlModeShowsTheLevelSpinOutsideAuto) {
  MenuBench b;
  auto& spin = b.prog.win.Spin(ui::SpinId::SpnLevel);
  b.prog.run.ManualLevel = 2.5f;
  b.Click(MenuId::mnuTestControlManual);
  EXPECT_EQ(b.prog.Row(row::ControlMode), 1.0f);
  EXPECT_TRUE(spin.Visible);
  b.Click(MenuId::mnuTestControlAuto);
  EXPECT_EQ(b.prog.Row(row::ControlMode), 0.0f);
  EXPECT_FALSE(spin.Visible);
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuTestControlAuto));
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuTestControlManual));
  EXPECT_EQ(b.prog.run.ManualLevel, 2.5f);
  b.Click(MenuId::mnuTestControlTransient);
  EXPECT_EQ(b.prog.Row(row::ControlMode), 2.0f);
  EXPECT_TRUE(spin.Visible);
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuTestControlAuto));
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuTestControlTransient));
}

TEST(SetupMenu, LoadCompensationRecomputesTheProfile) {
  const MenuId items[] = {MenuId::mnuTestComp1, MenuId::mnuTestComp2, MenuId::mnuTestComp3,
                          MenuId::mnuTestComp4, MenuId::mnuTestComp5};
  MenuBench b;
  for (int k = 0; k < 5; ++k) {
    b.prog.control.SystemEqualized = 1;
    b.Click(items[k]);
    EXPECT_EQ(b.prog.Row(row::LoadCompensation), static_cast<float>(k));
    EXPECT_EQ(b.prog.control.SystemEqualized, 0.0f);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(b.prog.win.Checked(items[j]), j == k);
  }
}

TEST(SetupMenu, DemoModeFollowsItsMark) {
  MenuBench b;
  b.prog.daq.DemoMode = 0;
  b.Click(MenuId::mnuTestDemo);
  EXPECT_EQ(b.prog.daq.DemoMode, 1.0f);
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuTestDemo));
  // Off with no board open: the boards are tried again; a missing board brings demo
  // mode back and the mark shows it.
  b.Click(MenuId::mnuTestDemo);
  EXPECT_EQ(b.prog.win.Checked(MenuId::mnuTestDemo), b.prog.daq.DemoMode == 1.0f);

  // With another interface nothing is opened: demo mode is simply off.
  MenuBench dio;
  dio.prog.Row(row::InterfaceType) = 0;
  dio.prog.win.Check(MenuId::mnuTestDemo, true);
  dio.Click(MenuId::mnuTestDemo);
  EXPECT_EQ(dio.prog.daq.DemoMode, 0.0f);
  EXPECT_FALSE(dio.prog.win.Checked(MenuId::mnuTestDemo));
  EXPECT_TRUE(dio.plat.Boxes.empty());
}
