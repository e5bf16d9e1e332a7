#include "files/clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/recompute.h"
#include "support/test_platform.h"

using testing_support::Harness;
using ui::MenuId;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0, end;
  while ((end = text.find('\r', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(start, text.size()) << "text after the last carriage return";
  return lines;
}

std::vector<std::string> Items(const std::string& line) {
  std::vector<std::string> items;
  std::string::size_type start = 0, end;
  while ((end = line.find(',', start)) != std::string::npos) {
    items.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  items.push_back(line.substr(start));
  return items;
}

struct Clipboard : ::testing::Test {
  Clipboard() {
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
  }
  std::vector<std::string> CopiedLines() {
    h.Click(MenuId::mnuToolsCopyData);
    EXPECT_FALSE(h.plat.ClipboardTexts.empty());
    return SplitLines(h.plat.ClipboardTexts.back());
  }
  Harness h;
  Program& p = h.prog;
};

constexpr size_t kLines = 1023 + 201 + 18;

TEST_F(Clipboard, DataCopyLayoutSamplesProfileAndTrailer) {
  p.wave.SampleFactor = 1;
  p.daq.AdcZero = 0;
  p.daq.ChannelScale[1] = 40;
  p.daq.ChannelScale[8] = 20;
  p.daq.ScanBuffer[8] = 100;       // scan 1, channel 1
  p.daq.ScanBuffer[8 + 7] = -50;   // scan 1, channel 8
  p.daq.ScanBuffer[1023 * 8] = 1;  // last scan copied
  p.plot.TestLevelG = 20;
  p.wave.ReferencePulse[1] = 40;  // half of full amplitude: 10 G
  p.wave.DriveCodes[1] = 178;     // 50 codes above zero drive
  p.profile.Record.Label[3] = "pulse, \"ms\"";
  p.profile.Record.Aux[3][4] = -2.5f;

  std::vector<std::string> lines = CopiedLines();
  ASSERT_EQ(lines.size(), kLines);
  EXPECT_EQ(h.plat.ClipboardTexts.back().find('\n'), std::string::npos);
  EXPECT_EQ(lines[0].rfind(" .7812, 2.5,", 0), 0u) << lines[0];

  std::vector<std::string> first = Items(lines[0]);
  ASSERT_EQ(first.size(), 11u);
  EXPECT_EQ(first[8], "-2.5");
  EXPECT_EQ(first[9], " 10");
  EXPECT_EQ(first[10], " 10");  // (178 - 128) x 0.01 x 20
  EXPECT_EQ(first[2], " 0");    // channels without samples
  EXPECT_EQ(Items(lines[1022])[0], " 799.1676");
  EXPECT_EQ(Items(lines[1022])[1], " .025");
  for (size_t i = 0; i < 1023; ++i) ASSERT_EQ(Items(lines[i]).size(), 11u) << i;

  // Profile rows 0..200: six numbers and the text column as it is, unquoted.
  EXPECT_EQ(lines[1023].rfind(" 0,", 0), 0u);                              // row 0: control mode
  EXPECT_EQ(lines[1023 + 3], " 10, 0, 0, 0, 0,-2.5,pulse, \"ms\"");        // row 3: duration
  EXPECT_EQ(lines[1023 + 200].substr(lines[1023 + 200].size() - 1), ",");  // empty text column
}

TEST_F(Clipboard, TrailerCarriesTitlesCountersAndPeaks) {
  p.profile.ProfileFileName = "     \\KRXFileC.000";
  p.win.Lbl(ui::LabelId::lblTestTitle).Caption = "TITLE ON SCREEN";
  p.profile.Record.TestTitle = "stale title";
  p.profile.Record.AccelModel = "M1";
  p.profile.Record.AccelSerial = "S2";
  p.profile.Record.SubTitle1 = "first";
  p.profile.Record.SubTitle2 = "";
  p.run.PulseCount = 12;
  p.control.ControlPeakG = 14.5f;
  p.plot.ResponsePeakV = 0.75f;
  p.plot.ResponsePeakD = 30;
  p.plot.RefPeakA = 15;
  p.plot.RefPeakV = -1.25f;
  p.plot.RefPeakD = 0.5f;
  p.run.DrivePeakCounts = 1600;

  std::vector<std::string> lines = CopiedLines();
  ASSERT_EQ(lines.size(), kLines);
  std::vector<std::string> trailer(lines.end() - 18, lines.end());
  const std::vector<std::string> expected = {"     \\KRXFileC.000",
                                             "TITLE ON SCREEN",
                                             "M1",
                                             "S2",
                                             h.plat.ShortDate(),
                                             h.plat.ShortTime(),
                                             " ",
                                             " 12",
                                             " 14.5",
                                             " .75",
                                             " 60",
                                             " 15",
                                             "-1.25",
                                             " 1",
                                             " 40",
                                             "first",
                                             "",
                                             " "};
  EXPECT_EQ(trailer, expected);
}

TEST_F(Clipboard, TimeStepFollowsTheSampleFactorAndUnscaledChannelsReadZero) {
  p.wave.SampleFactor = 8;
  p.daq.ChannelScale.fill(0);
  p.daq.ScanBuffer[8] = 1000;
  std::vector<std::string> first = Items(CopiedLines()[0]);
  EXPECT_EQ(first[0], " .09765");
  EXPECT_EQ(first[1], " 0");  // no scale: no division by zero
}

TEST_F(Clipboard, DataCopyTwiceGivesTheSameTextAndNoPicture) {
  h.Click(MenuId::mnuToolsCopyData);
  h.Click(MenuId::mnuToolsCopyData);
  ASSERT_EQ(h.plat.ClipboardTexts.size(), 2u);
  EXPECT_EQ(h.plat.ClipboardTexts[0], h.plat.ClipboardTexts[1]);
  EXPECT_EQ(p.files.ClipText, h.plat.ClipboardTexts[1]);
  EXPECT_EQ(h.plat.ClipboardClears, 2);
  EXPECT_EQ(h.plat.ClipboardPlots, 0);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

// Records how many boxes had been shown when the clipboard was touched.
struct OrderPlatform : testing_support::TestPlatform {
  std::vector<size_t> BoxesAtClear, BoxesAtPlot;
  void ClipboardClear() override {
    BoxesAtClear.push_back(Boxes.size());
    TestPlatform::ClipboardClear();
  }
  void ClipboardSetPlot() override {
    BoxesAtPlot.push_back(Boxes.size());
    TestPlatform::ClipboardSetPlot();
  }
};

TEST(ClipboardPlot, ExplainsEveryTimeBeforeCopying) {
  OrderPlatform plat;
  Program p(plat);
  files::CopyPlotToClipboard(p);
  files::CopyPlotToClipboard(p);
  ASSERT_EQ(plat.Boxes.size(), 2u);
  EXPECT_EQ(plat.Boxes[0].Title, "Copy To Clipboard");
  EXPECT_EQ(plat.Boxes[0].Text.rfind(" This menu command copies the plot", 0), 0u);
  EXPECT_EQ(plat.Boxes[0].ButtonSet, ui::Buttons::OK);
  EXPECT_EQ(plat.BoxesAtClear, (std::vector<size_t>{1, 2}));
  EXPECT_EQ(plat.BoxesAtPlot, (std::vector<size_t>{1, 2}));
  EXPECT_TRUE(plat.ClipboardTexts.empty());
}

}  // namespace
