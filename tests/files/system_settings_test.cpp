#include "files/system_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/number_text.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;
namespace row = profile::row;

namespace {

struct Settings : ::testing::Test {
  Settings() {
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
  }
  // Answers the item's one prompt.
  void Answer(MenuId id, const std::string& text, int index = 0) {
    h.plat.Inputs.push_back(text);
    h.Click(id, index);
  }
  const testing_support::Prompt& LastPrompt() const { return h.plat.Prompts.back(); }
  Harness h;
  Program& p = h.prog;
};

// Items whose out-of-range answers are ignored without a word.
TEST_F(Settings, SilentRangePromptsStoreOnlyAnswersInRange) {
  struct Case {
    MenuId Id;
    int Row;
    const char* Title;
    std::string Prompt;
    std::vector<std::string> Ignored;
    std::vector<std::pair<std::string, float>> Stored;
  };
  const Case cases[] = {
      {MenuId::mnuSystemManualSteps,
       row::ManualStep,
       " Setup Manual Mode stepsize",
       " Enter the Manual Mode Level step size multiplier",
       {"0", "-0.5"},
       {{".25", 0.25f}, {"3", 3}}},
      {MenuId::mnuSystemLowGain,
       row::LowGainDb,
       " Low Gain Trip Point",
       " Enter the Low-Gain trip point in Db. greater than 1.0. Low-Gain is defined as the "
       "compression point where at least 0.25 G feedback is expected.",
       {"1", "0.9"},
       {{"1.01", 1.01f}, {"40", 40}}},
      {MenuId::mnuSystemOpenLoop,
       row::OpenLoopDb,
       " Open-Loop Trip Point",
       " Enter the Open-Loop trip point in Db. greater than 0.1. Open-Loop is defined as the "
       "minimum compression point.",
       {"0.1", "100", "250"},
       {{"99.9", 99.9f}, {"0.2", 0.2f}}},
      {MenuId::mnuSystemMaxA,
       row::LimitA,
       " Setup Maximum Acceleration Limit",
       " Enter the maximum allowable system acceleration in G-peak",
       {"1", "-300", "1e40"},
       {{"250", 250}}},
      {MenuId::mnuSystemMaxV,
       row::LimitV,
       " Setup Maximum Velocity Limit",
       " Enter the maximum allowable system velocity in IPS-peak",
       {"0.5"},
       {{"80", 80}}},
      {MenuId::mnuSystemMaxD,
       row::LimitD,
       " Setup Maximum Displacement Limit",
       " Enter the maximum allowable system displacement in mils peak-peak.",
       {"1"},
       {{"1500", 1500}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Title);
    for (const auto& [text, value] : c.Stored) {
      Answer(c.Id, text);
      EXPECT_FLOAT_EQ(p.Row(c.Row), value) << text;
    }
    const float kept = p.Row(c.Row);
    for (const std::string& text : c.Ignored) {
      Answer(c.Id, text);
      EXPECT_FLOAT_EQ(p.Row(c.Row), kept) << text;
    }
    Answer(c.Id, "fifty");  // not a number
    EXPECT_FLOAT_EQ(p.Row(c.Row), kept);
    EXPECT_EQ(LastPrompt().Title, c.Title);
    EXPECT_EQ(LastPrompt().Text, c.Prompt);
    EXPECT_EQ(LastPrompt().Default, common::PromptDefaultText(kept));
  }
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(Settings, TripPointsAndStepReplaceUnusableValuesBeforeThePrompt) {
  p.Row(row::ManualStep) = 0;
  p.Row(row::LowGainDb) = 0.5f;
  p.Row(row::OpenLoopDb) = 0.05f;
  h.Click(MenuId::mnuSystemManualSteps);  // cancelled
  h.Click(MenuId::mnuSystemLowGain);
  h.Click(MenuId::mnuSystemOpenLoop);
  ASSERT_EQ(h.plat.Prompts.size(), 3u);
  EXPECT_EQ(h.plat.Prompts[0].Default, "0.1");
  EXPECT_EQ(h.plat.Prompts[1].Default, "20");
  EXPECT_EQ(h.plat.Prompts[2].Default, "0.5");
  EXPECT_FLOAT_EQ(p.Row(row::ManualStep), 0.1f);
  EXPECT_FLOAT_EQ(p.Row(row::LowGainDb), 20);
  EXPECT_FLOAT_EQ(p.Row(row::OpenLoopDb), 0.5f);

  // Values that are merely small but usable stay as they are.
  p.Row(row::ManualStep) = 0.01f;
  p.Row(row::LowGainDb) = 1;
  h.Click(MenuId::mnuSystemManualSteps);
  h.Click(MenuId::mnuSystemLowGain);
  EXPECT_FLOAT_EQ(p.Row(row::ManualStep), 0.01f);
  EXPECT_FLOAT_EQ(p.Row(row::LowGainDb), 1);
}

TEST_F(Settings, LimitPromptsFollowTheUnitSystem) {
  const MenuId items[] = {MenuId::mnuSystemMaxA, MenuId::mnuSystemMaxV, MenuId::mnuSystemMaxD};
  auto prompts = [&](float units) {
    p.Row(row::UnitSystem) = units;
    h.plat.Prompts.clear();
    for (MenuId id : items) h.Click(id);
    std::vector<std::string> texts;
    for (const auto& pr : h.plat.Prompts) texts.push_back(pr.Text);
    return texts;
  };
  const std::string accelG = " Enter the maximum allowable system acceleration in G-peak";
  const std::string accelM = " Enter the maximum allowable system acceleration in M/Sec^2";
  const std::string velM = " Enter the maximum allowable system velocity in CM/Sec-peak";
  const std::string dispM = " Enter the maximum allowable system displacement in MM-peak-peak.";
  EXPECT_EQ(prompts(1), (std::vector<std::string>{accelM, velM, dispM}));
  // Hybrid units: acceleration in G, velocity and displacement in metric units.
  EXPECT_EQ(prompts(2), (std::vector<std::string>{accelG, velM, dispM}));
  EXPECT_TRUE(prompts(7).empty());  // a damaged unit row asks nothing
}

TEST_F(Settings, SensitivityRefusesBelowFiveAndAlwaysRescalesOnANumber) {
  Answer(MenuId::mnuInputsSens, "250", 11);
  EXPECT_EQ(LastPrompt().Text, "Enter Channel #12 Sensitivity in MV/G between 5.0 and 1000.");
  EXPECT_EQ(LastPrompt().Title, "Setup Inputs");
  EXPECT_EQ(LastPrompt().Default, "10");
  EXPECT_FLOAT_EQ(p.Row(profile::kSensitivityRow[11]), 250);
  const float scale12 = p.daq.ChannelScale[12];
  EXPECT_GT(scale12, 0);

  // Only the lower bound holds: 5000 is taken although the prompt names 1000.
  Answer(MenuId::mnuInputsSens, "5000", 0);
  EXPECT_FLOAT_EQ(p.Row(profile::kSensitivityRow[0]), 5000);

  p.daq.ChannelScale.fill(0);
  Answer(MenuId::mnuInputsSens, "4", 11);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Out Of Bounds");
  EXPECT_EQ(h.plat.Boxes[0].Text, "The Number must be 5.0 or greater.");
  EXPECT_FLOAT_EQ(p.Row(profile::kSensitivityRow[11]), 250);
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[12], scale12);  // refused, yet recomputed

  p.daq.ChannelScale.fill(0);
  h.Click(MenuId::mnuInputsSens, 11);  // cancelled: nothing recomputed
  EXPECT_EQ(p.daq.ChannelScale[12], 0);
}

TEST_F(Settings, TriggerAndActiveInputsRefuseOutOfBounds) {
  Answer(MenuId::mnuInputsTriggerLevel, "0.2");
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, " Out Of Bounds");
  EXPECT_EQ(h.plat.Boxes[0].Text, " The Number must be 0.25 or greater.");
  EXPECT_FLOAT_EQ(p.Row(row::TriggerLevel), 1);
  Answer(MenuId::mnuInputsTriggerLevel, ".25");
  EXPECT_EQ(LastPrompt().Text, "Channel #1 Trigger Sensitivity in G");
  EXPECT_FLOAT_EQ(p.Row(row::TriggerLevel), 0.25f);
  EXPECT_FLOAT_EQ(p.daq.TriggerLevel, 0.25f);

  Answer(MenuId::mnuInputsActive, "3.7");
  EXPECT_EQ(LastPrompt().Text, "Active Input Channels");
  EXPECT_EQ(LastPrompt().Title, "Setup Inputs");
  EXPECT_FLOAT_EQ(p.Row(row::ActiveInputs), 3);  // whole-number part
  for (const char* refused : {"4.5", "0.9"}) {
    Answer(MenuId::mnuInputsActive, refused);
    EXPECT_FLOAT_EQ(p.Row(row::ActiveInputs), 3) << refused;
    EXPECT_EQ(h.plat.Boxes.back().Text, " The Number must be between 1 and 4.");
  }
  EXPECT_EQ(h.plat.Boxes.size(), 3u);
}

TEST_F(Settings, AccelerometerTextsKeepTheirValueOnAnEmptyAnswer) {
  Answer(MenuId::mnuInputsAccelModel, "M-352C");
  EXPECT_EQ(LastPrompt().Title, "Accelerometer Model #");
  EXPECT_EQ(LastPrompt().Text, "Enter the accelerometer model #");
  Answer(MenuId::mnuInputsAccelSerial, "  0042");
  EXPECT_EQ(LastPrompt().Title, "Accelerometer Serial #");
  EXPECT_EQ(LastPrompt().Default, "");  // no default even with a value set
  h.Click(MenuId::mnuInputsAccelModel);
  h.Click(MenuId::mnuInputsAccelSerial);
  EXPECT_EQ(LastPrompt().Default, "");
  EXPECT_EQ(p.profile.Record.AccelModel, "M-352C");
  EXPECT_EQ(p.profile.Record.AccelSerial, "  0042");
}

TEST_F(Settings, ChoiceGroupsKeepOneMarkAndReversedAlwaysInforms) {
  h.Click(MenuId::mnuSystemSepsReversed);
  h.Click(MenuId::mnuSystemSepsReversed);
  EXPECT_EQ(h.plat.CountBoxes(" Information"), 2);
  EXPECT_EQ(h.plat.Boxes[0].Text,
            " Numbers may be displayed differently depending on Windows Regional Settings");
  EXPECT_EQ(p.Row(row::DecimalMode), 1);
  EXPECT_EQ(p.profile.DecimalSeparator, ",");
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemSepsReversed));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemSepsEnglish));
  h.Click(MenuId::mnuSystemSepsEnglish);
  EXPECT_EQ(p.Row(row::DecimalMode), 0);
  EXPECT_EQ(p.profile.DecimalSeparator, ".");
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemSepsReversed));
  EXPECT_EQ(h.plat.Boxes.size(), 2u);

  // The interface choice only records itself: no start-up runs.
  p.Row(row::PretestLevelDb) = 7;
  h.Click(MenuId::mnuSystemInterfaceUSB);
  EXPECT_EQ(p.Row(row::InterfaceType), 2);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemInterfaceUSB));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemInterfacePCI));
  h.Click(MenuId::mnuSystemInterfaceDIO);
  EXPECT_EQ(p.Row(row::InterfaceType), 0);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemInterfaceUSB));
  EXPECT_EQ(p.Row(row::PretestLevelDb), 7);

  h.Click(MenuId::mnuSystemUnitsMetric);
  EXPECT_EQ(p.Row(row::UnitSystem), 1);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuSystemUnitsMetric));
  EXPECT_FALSE(p.win.Checked(MenuId::mnuSystemUnitsEnglish));
}

TEST_F(Settings, CurrentSourceToggleWritesEverySixteenRowsFromTheMarks) {
  p.daq.DemoMode = 0;                        // PCI hardware: the byte is built and sent
  p.Row(profile::kCurrentSourceRow[9]) = 2;  // set in the record, but not marked
  h.Click(MenuId::mnuInputsCurrent, 2);
  h.Click(MenuId::mnuInputsCurrent, 0);
  EXPECT_TRUE(p.win.Checked(MenuId::mnuInputsCurrent, 2));
  for (int k = 0; k < 16; ++k)
    EXPECT_EQ(p.Row(profile::kCurrentSourceRow[k]), (k == 0 || k == 2) ? 2 : 1) << k;
  EXPECT_EQ(p.daq.CurrentSourceByte, 0b101);
  const int words = p.daq.SerialWordsSent;
  h.Click(MenuId::mnuInputsCurrent, 2);
  EXPECT_EQ(p.Row(profile::kCurrentSourceRow[2]), 1);
  EXPECT_EQ(p.daq.CurrentSourceByte, 0b1);
  EXPECT_EQ(p.daq.SerialWordsSent, words + 1);  // the drive amplitude follows
  EXPECT_EQ(p.daq.LastSentWordLow, p.run.DrivePeakCounts);
}

TEST_F(Settings, BoardAddressRestartsTheHardwareOnlyForANumber) {
  p.Row(row::PretestLevelDb) = 7;  // the acquisition set-up resets it to 5
  Answer(MenuId::mnuSystemAddressMaster, "not a board");
  EXPECT_EQ(p.Row(row::MasterAddress), 0);
  EXPECT_EQ(p.Row(row::PretestLevelDb), 7);
  EXPECT_EQ(LastPrompt().Title, " VAV System Setup");
  EXPECT_EQ(LastPrompt().Text,
            "Enter the Master board address; board #0 is the default setting for Master "
            "(Ch#1-8) and 1 is the setting for Slave operation ( Ch#9-16).\r\n");
  EXPECT_EQ(LastPrompt().Default, "0");

  Answer(MenuId::mnuSystemAddressMaster, "2");
  EXPECT_EQ(p.Row(row::MasterAddress), 2);
  EXPECT_EQ(p.Row(row::PretestLevelDb), 5);

  // With the DIO interface the start-up leaves demo mode; the Demo mark goes with it.
  p.Row(row::InterfaceType) = 0;
  p.win.Check(MenuId::mnuTestDemo, true);
  Answer(MenuId::mnuSystemAddressSlave, "3");
  EXPECT_EQ(LastPrompt().Default, "1");
  EXPECT_EQ(LastPrompt().Text,
            "Enter the board address; board #1 is the default setting for Slave operation "
            "(Ch#9-16) and 1 is the setting for Master operation (Ch#1-8).\r\n");
  EXPECT_EQ(p.Row(row::SlaveAddress), 3);
  EXPECT_EQ(p.daq.DemoMode, 0);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuTestDemo));
}

}  // namespace
