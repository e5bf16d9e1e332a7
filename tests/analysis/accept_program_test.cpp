// Acceptance in the running program: settings, the verdict after a full-level pulse, the
// stop on a FAIL, the band view, the printed block and the command on a test data file.
#include "analysis/accept_program.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "commands/accept_command.h"
#include "analysis/accept_settings.h"
#include "app/options.h"
#include "sequencer/sequencer.h"
#include "control/capture.h"
#include "display/draw.h"
#include "files/data_file.h"
#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

using run::Run;
using testing_support::Harness;
using ui::ButtonId;
using ui::LabelId;
using ui::MenuId;
namespace row = profile::row;

// An equalised demo program in single-pulse mode.
struct DemoRun : Harness {
  DemoRun() {
    Start();
    prog.daq.DemoMode = 1;
    prog.Row(row::RepetitionMode) = 1;
    prog.win.CheckOnly(MenuId::mnuShockRepSingle, MenuId::mnuShockRepSingle,
                       MenuId::mnuShockRepRep);
    Press(ButtonId::cmdEqual);
    Advance(2000);
    plat.Boxes.clear();
  }
  void Pulse() {
    Press(ButtonId::cmdStart);
    Advance(300);
  }
  const ui::Label& Verdict() const { return prog.win.Lbl(LabelId::lblAccept); }
  bool PageHas(const std::string& part) const {
    for (const auto& t : plat.Paper.Items)
      if (t.What == testing_support::Primitive::Text && t.Str.find(part) != std::string::npos)
        return true;
    return false;
  }
};

TEST(AcceptProgram, OffByDefaultThenAVerdictAfterEveryFullLevelPulse) {
  DemoRun d;
  ASSERT_EQ(d.prog.control.SystemEqualized, 1.0f);
  d.Pulse();
  EXPECT_FALSE(d.prog.accept.Judged);
  EXPECT_FALSE(d.Verdict().Visible);
  d.Click(MenuId::mnuFilePrint);
  EXPECT_FALSE(d.PageHas("ACCEPTANCE"));

  // The dialog proposes the program's figures and tells the operator whose figures belong.
  d.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) { f.front().Checked = true; });
  d.Click(MenuId::mnuTestTolerance);
  ASSERT_EQ(d.plat.Forms.size(), 1u);
  EXPECT_EQ(d.plat.Forms[0][1].Text, "15");
  EXPECT_EQ(d.plat.Forms[0][6].Text, "0.4");
  EXPECT_NE(d.plat.FormNotes[0].find("test standard in use"), std::string::npos);
  EXPECT_EQ(d.prog.Row(row::AcceptOn), 1.0f);
  EXPECT_EQ(d.prog.Row(row::TolWindowAfter), 1.5f);

  d.Pulse();
  ASSERT_TRUE(d.prog.accept.Judged);
  const auto& r = d.prog.accept.Channel1;
  EXPECT_EQ(r.verdict, analysis::Verdict::Pass) << analysis::VerdictText(r);
  EXPECT_EQ(r.ShiftSamples, 0);  // the demo response has no lag
  EXPECT_NEAR(r.PeakPct, 100, 5);
  EXPECT_TRUE(d.Verdict().Visible);
  EXPECT_EQ(d.Verdict().Caption, "TOLERANCE PASS");
  EXPECT_EQ(d.Verdict().ForeColor, 0x8000);
  EXPECT_TRUE(d.plat.Boxes.empty());

  // The band over the response, on the screen and on the page, with the block.
  EXPECT_EQ(d.plat.Plot.CountLines(display::color::LightGreen), 0);
  d.Click(MenuId::mnuViewTolBand);
  EXPECT_GT(d.plat.Plot.CountLines(display::color::LightGreen), 100);
  const size_t before = d.plat.Paper.Items.size();
  d.plat.Paper.Items.clear();
  d.Click(MenuId::mnuFilePrint);
  EXPECT_GT(d.plat.Paper.Items.size(), before);
  EXPECT_TRUE(d.PageHas("ACCEPTANCE: PEAK +/-15.0 %"));
  EXPECT_TRUE(d.PageHas("TOLERANCE PASS"));
}

TEST(AcceptProgram, AFailStopsTheRunLikeATripOnlyWhenAsked) {
  DemoRun d;
  d.prog.Row(row::AcceptOn) = 1;
  // Channel 1 answers 70 % of the wanted pulse: inside the abort band, outside the peak's.
  d.prog.control.PulseSource = [](Program& p) {
    control::CaptureAndAnalyze(p);
    for (int i = 0; i < 1024; ++i) p.daq.ScanBuffer[i * 8] = p.daq.ScanBuffer[i * 8] * 7 / 10;
  };
  d.Pulse();
  EXPECT_EQ(d.Verdict().Caption, "TOLERANCE FAIL - PEAK 70 %");
  EXPECT_EQ(d.Verdict().ForeColor, ui::kRed);
  EXPECT_TRUE(d.plat.Boxes.empty());  // reported, not stopped

  d.prog.Row(row::TolStopOnFail) = 1;
  d.prog.Row(row::RepetitionMode) = 2;
  d.prog.Row(row::TotalPulses) = 5;
  d.prog.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
  d.prog.win.Check(MenuId::mnuTestAutoPrint, true);
  d.Press(ButtonId::cmdStart);
  d.Advance(5000);
  EXPECT_EQ(control::RunStateOf(d.prog), Run::Idle);
  ASSERT_EQ(d.plat.Boxes.size(), 1u);
  EXPECT_EQ(d.plat.Boxes[0].Title, " KRX-8 Error Message");
  EXPECT_EQ(d.plat.Boxes[0].Text, " TOLERANCE FAIL - PEAK 70 %");
  EXPECT_EQ(d.prog.win.Lbl(LabelId::lblMode).Caption, "ABORTED");
  // Nothing else is marked and no end-of-run action ran.
  EXPECT_EQ(d.prog.control.TripCode, 0);
  EXPECT_EQ(d.prog.control.SystemEqualized, 1.0f);
  EXPECT_EQ(d.plat.Paper.Docs, 0);
}

TEST(AcceptProgram, TheDialogRefusesAFieldOutsideItsRangeAndCancelKeepsAll) {
  DemoRun d;
  d.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    f[0].Checked = true;
    f[2].Text = "abc";
  });
  d.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    EXPECT_EQ(f[2].Text, "abc");  // back with what was typed
    f[2].Text = "20";
    f[7].Text = "11";
  });
  d.Click(MenuId::mnuTestTolerance);
  ASSERT_EQ(d.plat.Boxes.size(), 2u);
  EXPECT_EQ(d.plat.Boxes[0].Title, " Out Of Bounds");
  EXPECT_EQ(d.plat.Boxes[0].Text,
            " Width tolerance (+/- %): the Number must be between .1 and 100 %.");
  EXPECT_NE(d.plat.Boxes[1].Text.find("Band window after the pulse"), std::string::npos);
  EXPECT_NE(d.plat.Boxes[1].Text.find("between .1 and 10 durations"), std::string::npos);
  // The third showing was cancelled: nothing was stored.
  EXPECT_EQ(d.plat.Forms.size(), 3u);
  EXPECT_EQ(d.prog.Row(row::AcceptOn), 0.0f);
  EXPECT_EQ(d.prog.Row(row::TolWidthPct), 0.0f);
}

struct AcceptCommand : ::testing::Test {
  testing_support::TempDir dir;
  std::ostringstream out, err;

  // A demo pulse exported as the program exports it, with `edit` applied to the record.
  std::string DataFile(const std::function<void(Program&)>& edit = {}) {
    DemoRun d;
    d.Pulse();
    if (edit) edit(d.prog);
    testing_support::WriteFile(dir / "KRXDataC.001", files::TestDataText(d.prog));
    return dir / "KRXDataC.001";
  }
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "krx8");
    const app::Options o = app::ParseOptions(static_cast<int>(args.size()), args.data());
    EXPECT_EQ(o.Action, app::OptionAction::Accept) << o.Error;
    return analysis::RunAcceptCommand(o.AcceptDataFile, o.CustomWaveshapeFile, out, err);
  }
};

TEST_F(AcceptCommand, JudgesEveryChannelOfADataFileWithItsOwnSettings) {
  const std::string file = DataFile();
  ASSERT_EQ(Run({"--accept", file.c_str()}), 0) << err.str() << out.str();
  std::istringstream s(out.str());
  std::vector<std::string> lines;
  for (std::string l; std::getline(s, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0],
            "\"Channel\",\"Shift ms\",\"Peak G\",\"Nominal peak G\",\"Peak %\",\"Width ms\","
            "\"Nominal width ms\",\"Width %\",\"Velocity change\",\"Nominal velocity change\","
            "\"Velocity change %\",\"Worst band excursion %\",\"Samples outside band\","
            "\"Verdict\"\r");
  EXPECT_EQ(lines[1].rfind("1,0,", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(",\"PASS\"\r"), std::string::npos) << lines[1];

  // The file's own rows: a pulse 30 % higher than the recorded one fails channel 1 on its
  // peak, unless the file's own tolerances are that wide.
  out.str("");
  auto higher = [](Program& p) { p.Row(row::PulseAmplitude) *= 1.3f; };
  const std::string high = DataFile(higher);
  EXPECT_EQ(Run({"--accept", high.c_str()}), 1);
  EXPECT_NE(out.str().find("\"FAIL peak\""), std::string::npos) << out.str();
  out.str("");
  const std::string wide = DataFile([&](Program& p) {
    higher(p);
    for (int r : {row::TolPeakPct, row::TolVelocityPct, row::TolBandInsidePct}) p.Row(r) = 40;
  });
  EXPECT_EQ(Run({"--accept", wide.c_str()}), 0) << out.str();

  out.str("");
  testing_support::WriteFile(dir / "short.dat", "1,2,3\r\n");
  const std::string bad = dir / "short.dat";
  EXPECT_EQ(Run({"--accept", bad.c_str()}), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
}

}  // namespace

TEST(AcceptProgram, TheDialogsEdgeAllowanceIsStoredAndJudgedWith) {
  DemoRun d;
  d.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) {
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[8].Text, "0");  // an older profile leaves nothing out
    f[8].Text = "60";
  });
  d.plat.FormAnswers.push_back([](std::vector<ui::FormField>& f) { f[8].Text = "5"; });
  d.Click(MenuId::mnuTestTolerance);
  ASSERT_EQ(d.plat.Boxes.size(), 1u);
  EXPECT_NE(d.plat.Boxes[0].Text.find("Edge allowance"), std::string::npos);
  EXPECT_NE(d.plat.Boxes[0].Text.find("between 0 and 50 %"), std::string::npos);
  EXPECT_EQ(d.prog.Row(row::TolEdgePct), 5.0f);
  EXPECT_EQ(analysis::TolerancesOf(d.prog).EdgePct, 5);
}
