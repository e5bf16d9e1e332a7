#include "app/keys.h"

#include <gtest/gtest.h>

#include "control/equalize.h"
#include "profile/recompute.h"
#include "sequencer/sequencer.h"
#include "support/test_platform.h"

using namespace app;
using control::RunStateOf;
using run::Run;
using namespace sequencer;
using testing_support::Harness;
using ui::MenuId;
using ui::TimerId;
namespace row = profile::row;

namespace {

int plantPulses_ = 0;

// Answers exactly the wanted level at a drive gain of 1.
void Plant(Program& p) {
  ++plantPulses_;
  p.run.PulseCount++;
  p.control.ControlPeakG = p.run.LevelFactor * p.plot.TestLevelG * p.Row(row::DriveGain);
}

struct KeyBench : Harness {
  KeyBench() {
    plantPulses_ = 0;
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
    profile::RecomputeProfile(prog);
    prog.control.PulseSource = Plant;
    prog.Row(row::AbortLevelDb) = 25;
    for (int r : {row::LimitA, row::LimitV, row::LimitD}) prog.Row(r) = 1e9f;
  }
  Run State() const { return RunStateOf(prog); }
};

}  // namespace

TEST(Keys, ZoomKeysGoByCase) {
  KeyBench b;
  b.prog.plot.XZoom = 1;
  b.prog.plot.YZoom = 1;
  b.Key('X');
  EXPECT_FLOAT_EQ(b.prog.plot.XZoom, 0.5f);
  b.Key('x');
  b.Key('x');
  EXPECT_FLOAT_EQ(b.prog.plot.XZoom, 2.0f);
  // The control file hands its keys to the same handler as the window.
  HandleKey(b.prog, 'Y');
  EXPECT_FLOAT_EQ(b.prog.plot.YZoom, 0.5f);
  HandleKey(b.prog, 'y');
  b.Key('y');
  EXPECT_FLOAT_EQ(b.prog.plot.YZoom, 2.0f);
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(Keys, RunKeysActWhateverTheirCase) {
  KeyBench b;
  for (int start : {'S', 's'}) {
    b.Key(start);
    EXPECT_EQ(b.State(), Run::FullLevel);
    EXPECT_EQ(b.prog.win.Lbl(ui::LabelId::lblStatus).Caption, " FULL TEST LEVEL SHOCK PULSE ");
    EXPECT_TRUE(b.prog.win.GetTimer(TimerId::tmrTimer2).Enabled);
    for (int abort : {'A', 'a'}) {
      b.Key('S');
      b.Key(abort);
      EXPECT_EQ(b.State(), Run::Idle);
    }
  }
  EXPECT_EQ(plantPulses_, 0);
}

TEST(Keys, EqualizeKeyRunsThePassesAtOnce) {
  KeyBench b;
  b.prog.win.Lbl(ui::LabelId::lblStatus).Caption = "before";
  b.Key('e');
  EXPECT_EQ(plantPulses_, control::kEqualizePasses);
  EXPECT_EQ(b.prog.control.SystemEqualized, 1.0f);
  // No settling delay and none of the command's marks.
  EXPECT_FALSE(b.prog.win.GetTimer(TimerId::tmrTimer1).Enabled);
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_NE(b.prog.win.Lbl(ui::LabelId::lblStatus).Caption, "EQUALIZING SYSTEM- PLEASE WAIT ");
}

TEST(Keys, PretestKeyFiresOnePulseInAnyRunState) {
  KeyBench b;
  b.prog.control.SystemEqualized = 1;
  b.Key('P');
  EXPECT_EQ(plantPulses_, 1);
  EXPECT_NEAR(b.prog.run.LevelFactor, 0.5016f, 1e-4);
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuViewResponse, 0));
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuViewTest));

  // During an armed full-level run the pulse comes too; single mode then ends the run.
  b.Key('S');
  b.Key('p');
  EXPECT_EQ(plantPulses_, 2);
  EXPECT_EQ(b.State(), Run::Idle);

  // Not equalised: the pulse becomes an equalisation.
  b.prog.control.SystemEqualized = 0;
  b.Key('P');
  EXPECT_EQ(plantPulses_, 2);
  EXPECT_EQ(b.State(), Run::Equalize);
}

TEST(Keys, RefreshOriginAndOtherKeys) {
  KeyBench b;
  b.plat.Plot.Items.clear();
  b.Key('j');
  EXPECT_FALSE(b.plat.Plot.Items.empty());

  b.Key('W');
  ASSERT_EQ(b.plat.Boxes.size(), 1u);
  EXPECT_EQ(b.plat.Boxes[0].Title, "Origin");
  EXPECT_EQ(b.plat.Boxes[0].Text.find('\n'), std::string::npos);

  // Keys with no action, including codes outside the letters, change nothing.
  b.plat.Plot.Items.clear();
  float x = b.prog.plot.XZoom, y = b.prog.plot.YZoom;
  for (int k : std::initializer_list<int>{'Q', 'z', '1', ' ', 0, 0xC1, 0xE9, 0x263A, -1}) b.Key(k);
  EXPECT_TRUE(b.plat.Plot.Items.empty());
  EXPECT_EQ(b.plat.Boxes.size(), 1u);
  EXPECT_EQ(b.prog.plot.XZoom, x);
  EXPECT_EQ(b.prog.plot.YZoom, y);
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(Keys, HelpMenuListsTheKeys) {
  KeyBench b;
  b.Click(MenuId::mnuHelpKeyboard);
  ASSERT_EQ(b.plat.Boxes.size(), 1u);
  EXPECT_EQ(b.plat.Boxes[0].Title, " Keyboard Access Keys");
  EXPECT_EQ(b.plat.Boxes[0].Text,
            " Keyboard Access Keys\r\n\r\n A = Abort \r\n E = Equalize\r\n J = Refresh Screen\r\n"
            " P = PreTest \r\n S = Start Test \r\n X, x = X-axis zoom-in, out\r\n"
            " Y, y = Y-axis zoom-in, out");
}
