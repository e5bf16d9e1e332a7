// Test Setup > Waveform Control...: the form, its refusals and the profile rows.
#include <gtest/gtest.h>

#include "control/waveform_form.h"
#include "shaping/settings.h"
#include "support/test_platform.h"

namespace {

using ui::MenuId;
namespace row = profile::row;

TEST(WaveformForm, RefusesANumberOutOfBoundsAndStoresAllTogether) {
  testing_support::Harness h;
  h.Start();
  h.plat.Boxes.clear();
  h.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    ASSERT_EQ(f.size(), 5u);
    EXPECT_FALSE(f[0].Checked);  // an older profile reads as off, with the defaults
    EXPECT_EQ(f[1].Text, "1");
    EXPECT_EQ(f[3].Text, "45");
    f[0].Checked = true;
    f[1].Text = "2";
  });
  h.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    EXPECT_EQ(f[1].Text, "2");  // back with what was typed
    f[1].Text = ".5";
    f[4].Text = "3";
  });
  h.Click(MenuId::mnuTestWaveform);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, " Out Of Bounds");
  EXPECT_EQ(h.plat.Boxes[0].Text, " Correction gain: the Number must be between .1 and 1.5.");
  EXPECT_EQ(h.prog.Row(row::ShapingOn), 1.0f);
  EXPECT_EQ(h.prog.Row(row::ShapingGain), 0.5f);
  EXPECT_EQ(h.prog.Row(row::ShapingRegPct), 0.0f);  // defaults stay 0
  EXPECT_EQ(h.prog.Row(row::ShapingGiveUp), 3.0f);

  // Cancel keeps everything.
  h.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    f[0].Checked = false;
    f[3].Text = "9";  // below the band limit's bounds
  });
  h.Click(MenuId::mnuTestWaveform);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[1].Text,
            " Band limit (% of the sampling frequency): the Number must be between 10 and 50 %.");
  EXPECT_TRUE(shaping::SettingsOf(h.prog.profile.Record).On);
  EXPECT_EQ(h.prog.Row(row::ShapingBandPct), 0.0f);
}

}  // namespace
