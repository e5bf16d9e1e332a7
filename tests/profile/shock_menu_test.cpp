#include <gtest/gtest.h>

#include "profile/recompute.h"
#include "support/test_platform.h"

using namespace profile;
using testing_support::Harness;
using ui::MenuId;

namespace {

constexpr const char* kLongTime =
    " Long duration pulses require Sampling Rates of 2.56 Khz or less; the rate has been "
    "changed. Slower repition tates may also be required.";
constexpr const char* kLongFreq =
    " Long duration pulses require Sampling Rates of 2.56 Khz or less; the rate has been "
    "changed.Lower Repetition Rates may also be required.";
constexpr const char* kShort =
    " Short duration pulses require Sampling Rates of 10.24 Khz; the rate has been changed.";
constexpr const char* kBelow1 = " System performance is not specified below 1 msec.";
constexpr const char* kLowFreq =
    " Shaker system low-frequency performance may affect test results above 20 msec.";

const MenuId kShapes[] = {
    MenuId::mnuShockShapeHalfsine, MenuId::mnuShockShapeTriangle,  MenuId::mnuShockShapeTrap,
    MenuId::mnuShockShapeIPSaw,    MenuId::mnuShockShapeTPSaw,     MenuId::mnuShockShapeQuarter,
    MenuId::mnuShockShapeCusp,     MenuId::mnuShockShapeSineBurst, MenuId::mnuShockShapeCustom};

struct ShockMenuTest : ::testing::Test {
  void SetUp() override {
    SetProfileDefaults(h.prog);
    // Limits out of reach: the limit warnings of the redraw are not what these tests watch.
    for (int r : {row::LimitA, row::LimitV, row::LimitD}) h.prog.Row(r) = 1e30f;
    RecomputeProfile(h.prog);
    h.plat.Boxes.clear();
  }
  // Answers one prompt of `item`; returns the texts of the boxes that followed.
  std::vector<std::string> Enter(MenuId item, const std::string& answer) {
    h.plat.Boxes.clear();
    h.plat.Prompts.clear();
    h.plat.Inputs = {answer};
    h.Click(item);
    std::vector<std::string> texts;
    for (const auto& b : h.plat.Boxes) texts.push_back(b.Text);
    return texts;
  }
  float Row(int r) const { return h.prog.Row(r); }
  std::vector<MenuId> CheckedShapes() const {
    std::vector<MenuId> out;
    for (MenuId m : kShapes)
      if (h.prog.win.Checked(m)) out.push_back(m);
    return out;
  }
  Harness h;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST_F(ShockMenuTest, AmplitudeBoundsAtTheirEnds) {
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, "0.4"),
            Texts{" The Number must be between 0.5 and 200."});
  ASSERT_EQ(h.plat.Prompts.size(), 1u);
  EXPECT_EQ(h.plat.Prompts[0].Text, "Enter Shock Pulse Amplitude in G-peak");
  EXPECT_EQ(h.plat.Prompts[0].Title, "Setup Shock Pulse");
  EXPECT_EQ(h.plat.Prompts[0].Default, "15");
  EXPECT_EQ(h.plat.Boxes[0].Title, " Out Of Bounds");
  EXPECT_EQ(Row(row::PulseAmplitude), 15.0f);
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, "250").size(), 1u);
  EXPECT_EQ(Row(row::PulseAmplitude), 15.0f);
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, "200"), Texts{});
  EXPECT_EQ(Row(row::PulseAmplitude), 200.0f);
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, ".5"), Texts{});
  EXPECT_EQ(Row(row::PulseAmplitude), 0.5f);
  EXPECT_EQ(h.plat.Prompts[0].Default, "200");
  // Not a number, or cancelled: nothing at all.
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, "lots"), Texts{});
  EXPECT_EQ(Enter(MenuId::mnuShockAmplitude, ""), Texts{});
  EXPECT_EQ(Row(row::PulseAmplitude), 0.5f);
}

TEST_F(ShockMenuTest, AmplitudeRedrawsTheTestProfileAndRescalesTheInputs) {
  h.prog.win.Check(MenuId::mnuViewTest, false);
  const int refreshes = h.prog.plot.RefreshCount;
  Enter(MenuId::mnuShockAmplitude, "100");
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuViewTest));
  EXPECT_EQ(h.prog.plot.RefreshCount, refreshes + 1);
  // The gains follow every numeric answer, even a refused one.
  h.prog.daq.GainPeakG = 100;
  h.prog.daq.ChannelScale.fill(-1);
  Enter(MenuId::mnuShockAmplitude, "999");
  EXPECT_EQ(h.prog.plot.RefreshCount, refreshes + 1);
  EXPECT_GT(h.prog.daq.ChannelScale[1], 0.0f);
}

TEST_F(ShockMenuTest, AmplitudePromptFollowsTheUnitSystem) {
  h.prog.Row(row::UnitSystem) = 1;
  Enter(MenuId::mnuShockAmplitude, "50");
  EXPECT_EQ(h.plat.Prompts[0].Text, "Enter Shock Pulse Amplitude in M/Sec^2");
  // Hybrid units hold the amplitude in G: the G prompt, the same bounds.
  h.prog.Row(row::UnitSystem) = 2;
  Enter(MenuId::mnuShockAmplitude, "30");
  EXPECT_EQ(h.plat.Prompts[0].Text, "Enter Shock Pulse Amplitude in G-peak");
  EXPECT_EQ(Row(row::PulseAmplitude), 30.0f);
}

TEST_F(ShockMenuTest, DurationCommandsMessagesAndSamplingFrequency) {
  const MenuId kTime = MenuId::mnuShockDurationTime, kFreq = MenuId::mnuShockDurationFreq;
  const std::string kTimeBounds = " The Number must be between 0.5 and 100.";
  const std::string kFreqBounds = " The Number must be between 5 and 1000.";
  struct Step {
    MenuId Item;
    const char* Answer;
    Texts Boxes;
    float Duration;  // afterwards
    float Code;
  };
  // Refused answers (150, 0.49, 4, 1001) still show their messages but change nothing.
  const Step steps[] = {
      {kTime, "25", {kLongTime, kLowFreq}, 25, 2},
      {kTime, "0.8", {kShort, kBelow1}, 0.8f, 4},
      {kTime, "150", {kTimeBounds, kLongTime, kLowFreq}, 0.8f, 4},
      {kTime, "20", {kLowFreq}, 20, 2},
      {kTime, "5", {}, 5, 3},
      {kTime, "1", {kShort}, 1, 4},
      {kTime, "0.5", {kShort, kBelow1}, 0.5f, 4},
      {kTime, "100", {kLongTime, kLowFreq}, 100, 1},
      {kTime, "0.49", {kTimeBounds, kShort, kBelow1}, 100, 1},
      {kFreq, "50", {}, 10, 3},
      {kFreq, "25", {kLowFreq}, 20, 2},
      {kFreq, "10", {kLongFreq, kLowFreq}, 50, 1},
      {kFreq, "1000", {kShort, kBelow1}, 0.5f, 4},
      {kFreq, "4", {kFreqBounds, kLongFreq, kLowFreq}, 0.5f, 4},
      {kFreq, "1001", {kFreqBounds, kShort, kBelow1}, 0.5f, 4},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Answer);
    EXPECT_EQ(Enter(s.Item, s.Answer), s.Boxes);
    for (const auto& b : h.plat.Boxes)
      EXPECT_EQ(b.Title, b.Text.rfind(" The Number", 0) == 0 ? " Out Of Bounds" : "");
    EXPECT_EQ(Row(row::PulseDuration), s.Duration);
    EXPECT_EQ(Row(row::SampleRateCode), s.Code);
    EXPECT_EQ(h.prog.daq.AdcRate, 1280 << static_cast<int>(s.Code - 1));
  }
  // Prompts and defaults: the time as it is, the frequency of a half period.
  h.prog.Row(row::PulseDuration) = 10;
  Enter(kTime, "");
  EXPECT_EQ(h.plat.Prompts[0].Text, "Shock Pulse Duration In Msec.");
  EXPECT_EQ(h.plat.Prompts[0].Default, "10");
  Enter(kFreq, "");
  EXPECT_EQ(h.plat.Prompts[0].Text, "Shock Pulse Duration Entered In Hertz");
  EXPECT_EQ(h.plat.Prompts[0].Default, "50");
  // A duration of 0 from a file offers no default instead of an infinite one.
  h.prog.Row(row::PulseDuration) = 0;
  Enter(kFreq, "");
  EXPECT_EQ(h.plat.Prompts[0].Default, "");
}

TEST_F(ShockMenuTest, CompensationModesAndLevels) {
  h.prog.Row(row::PreCompPercent) = 20;
  h.Click(MenuId::mnuShockCompAuto);
  EXPECT_EQ(Row(row::PreCompPercent), 13.0f);
  EXPECT_EQ(Row(row::PostCompPercent), 13.0f);
  EXPECT_EQ(Row(row::CompMode), 0.0f);
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockCompAuto));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockCompManual));

  // The prompts offer the shape's automatic level, not the stored percentage.
  EXPECT_EQ(Enter(MenuId::mnuShockCompLevelsPre, ""), Texts{});
  EXPECT_EQ(h.plat.Prompts[0].Text,
            "Shock Pulse Pre-compensation Pulse In %; the default value is 16.7.");
  EXPECT_EQ(h.plat.Prompts[0].Default, "16.7");
  EXPECT_EQ(Enter(MenuId::mnuShockCompLevelsPost, "0.99"),
            Texts{" The Number must be between 1 and 25; the default value is 16.7."});
  EXPECT_EQ(h.plat.Prompts[0].Text,
            "Shock Pulse Post-compensation Pulse In %; the default value is 16.7.");
  EXPECT_EQ(Enter(MenuId::mnuShockCompLevelsPost, "25.01").size(), 1u);
  EXPECT_EQ(Row(row::PostCompPercent), 13.0f);
  // Stored whatever the mode, at both ends.
  EXPECT_EQ(Enter(MenuId::mnuShockCompLevelsPre, "1"), Texts{});
  EXPECT_EQ(Enter(MenuId::mnuShockCompLevelsPost, "25"), Texts{});
  EXPECT_EQ(Row(row::PreCompPercent), 1.0f);
  EXPECT_EQ(Row(row::PostCompPercent), 25.0f);

  // Manual mode lifts a level below 1 to 13 and keeps the others.
  h.prog.Row(row::PreCompPercent) = 0.5f;
  h.Click(MenuId::mnuShockCompManual);
  EXPECT_EQ(Row(row::CompMode), 1.0f);
  EXPECT_EQ(Row(row::PreCompPercent), 13.0f);
  EXPECT_EQ(Row(row::PostCompPercent), 25.0f);
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockCompManual));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockCompAuto));
}

TEST_F(ShockMenuTest, ShapeItemsAreARadioGroupWithTheirCodes) {
  const float codes[] = {1, 4, 5, 3, 2, 6, 7, 8};
  for (int i = 0; i < 8; ++i) {
    const int refreshes = h.prog.plot.RefreshCount;
    h.prog.Row(row::PretestLevelDb) = 9;
    h.Click(kShapes[i]);
    EXPECT_EQ(Row(row::PulseShape), codes[i]);
    // Only Triangle re-runs the hardware start-up (which sets the pre-test level to 5 dB).
    EXPECT_EQ(Row(row::PretestLevelDb), kShapes[i] == MenuId::mnuShockShapeTriangle ? 5 : 9);
    EXPECT_EQ(CheckedShapes(), std::vector<MenuId>{kShapes[i]});
    EXPECT_GT(h.prog.plot.RefreshCount, refreshes);
  }
  // Parabolic Cusp after Custom Shape leaves only Parabolic Cusp checked.
  h.Click(MenuId::mnuShockShapeCustom);
  EXPECT_EQ(CheckedShapes(), std::vector<MenuId>{MenuId::mnuShockShapeCustom});
  h.Click(MenuId::mnuShockShapeCusp);
  EXPECT_EQ(CheckedShapes(), std::vector<MenuId>{MenuId::mnuShockShapeCusp});
}

TEST_F(ShockMenuTest, PolarityResynthesisesWithoutRedrawing) {
  const auto positive = h.prog.wave.DriveCodes;
  const int refreshes = h.prog.plot.RefreshCount;
  h.Click(MenuId::mnuShockPolarityNeg);
  EXPECT_EQ(Row(row::Polarity), 2.0f);
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockPolarityNeg));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockPolarityPos));
  EXPECT_EQ(h.prog.plot.RefreshCount, refreshes);
  for (int i = 0; i < kWaveSamples; ++i)
    ASSERT_EQ(h.prog.wave.DriveCodes[i] - 128, 128 - positive[i]) << i;
  h.Click(MenuId::mnuShockPolarityPos);
  EXPECT_EQ(Row(row::Polarity), 1.0f);
  EXPECT_EQ(h.prog.wave.DriveCodes, positive);
}

TEST_F(ShockMenuTest, RepetitiveRecomputesNothing) {
  h.prog.wave.ReferencePulse[3] = 12345;  // would be overwritten by any synthesis
  const int refreshes = h.prog.plot.RefreshCount;
  h.Click(MenuId::mnuShockRepRep);
  EXPECT_EQ(Row(row::RepetitionMode), 2.0f);
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockRepRep));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockRepSingle));
  h.Click(MenuId::mnuShockRepSingle);
  EXPECT_EQ(Row(row::RepetitionMode), 1.0f);
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockRepRep));
  EXPECT_EQ(h.prog.plot.RefreshCount, refreshes);
  EXPECT_EQ(h.prog.wave.ReferencePulse[3], 12345.0f);
}

TEST_F(ShockMenuTest, SamplingItemsSetTheRateTogetherAndRecompute) {
  const MenuId items[] = {MenuId::mnuShockSample128, MenuId::mnuShockSample256,
                          MenuId::mnuShockSample512, MenuId::mnuShockSample1024};
  for (int code = 1; code <= 4; ++code) {
    const int refreshes = h.prog.plot.RefreshCount;
    h.Click(items[code - 1]);
    EXPECT_EQ(Row(row::SampleRateCode), static_cast<float>(code));
    EXPECT_EQ(h.prog.wave.SampleFactor, 1 << (code - 1));
    EXPECT_EQ(h.prog.daq.AdcRate, 1280 << (code - 1));
    EXPECT_TRUE(h.prog.win.Checked(items[code - 1]));
    EXPECT_FALSE(h.prog.win.Checked(items[code % 4]));
    EXPECT_GT(h.prog.plot.RefreshCount, refreshes);
  }
}
