#include <gtest/gtest.h>

#include "profile/recompute.h"
#include "profile/waveshape_file.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using namespace profile;
using testing_support::Harness;
using testing_support::TempDir;
using testing_support::WriteFile;
using ui::Answer;
using ui::MenuId;

namespace {

// n numbers, all 0 but those given, each followed by the separator its index picks.
std::string ShapeFile(int n, std::initializer_list<std::pair<int, const char*>> values) {
  const char* seps[] = {",", "\r\n", ",\r\n", "\n", ", ", "\r\n\r\n"};
  std::string out;
  for (int i = 0; i < n; ++i) {
    std::string v = "0";
    for (auto& [at, text] : values)
      if (at == i) v = text;
    out += v + seps[i % 6];
  }
  return out;
}

struct WaveshapeTest : ::testing::Test {
  void SetUp() override {
    SetProfileDefaults(h.prog);
    // Limits out of reach: the limit warnings of the redraw are not what these tests watch.
    for (int r : {row::LimitA, row::LimitV, row::LimitD}) h.prog.Row(r) = 1e30f;
    RecomputeProfile(h.prog);
  }
  void Load(const std::string& content) {
    WriteFile(path, content);
    h.plat.Files = {path};
    h.Click(MenuId::mnuShockShapeCustom);
  }
  Harness h;
  TempDir dir;
  std::string path = dir / "KRXWaveC.001";
};

}  // namespace

TEST_F(WaveshapeTest, CancelledDialogChoosesTheShapeButRecomputesNothing) {
  const auto reference = h.prog.wave.ReferencePulse;
  const int refreshes = h.prog.plot.RefreshCount;
  h.Click(MenuId::mnuShockShapeCustom);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_EQ(h.plat.Dialogs[0].Title, "KRX-8 Open Custom Waveshape");
  EXPECT_EQ(
      h.plat.Dialogs[0].Filter,
      "All Waveshapes (KRXWaveC.*)|KRXWaveC.*|All WaveFiles (*.dat)|*.dat|All Files (*.*)|*.*");
  EXPECT_EQ(h.plat.Dialogs[0].FilterIndex, 1);
  EXPECT_EQ(h.plat.Dialogs[0].FileName, "KRXWaveC.*");
  EXPECT_EQ(h.prog.Row(row::PulseShape), 9.0f);
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockShapeCustom));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockShapeHalfsine));
  EXPECT_EQ(h.prog.wave.ReferencePulse, reference);
  EXPECT_EQ(h.prog.plot.RefreshCount, refreshes);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(WaveshapeTest, MixedSeparatorsLoadSampleForSample) {
  h.prog.profile.CustomShape[1024] = 0.25f;
  Load(ShapeFile(1024, {{500, "1.0"}, {0, "-.5"}, {7, "3E-1"}, {1023, "+2.5"}}));
  EXPECT_TRUE(h.plat.Boxes.empty());
  const auto& s = h.prog.profile.CustomShape;
  EXPECT_EQ(s[0], -0.5f);
  EXPECT_EQ(s[7], 0.3f);
  EXPECT_EQ(s[500], 1.0f);
  EXPECT_EQ(s[1023], 2.5f);   // beyond +-1 is accepted
  EXPECT_EQ(s[1024], 0.25f);  // not in the file: keeps its value
  EXPECT_EQ(s[1], 0.0f);
  EXPECT_EQ(h.prog.profile.CustomShapeFileName, path);
  // The recompute played the file into the reference.
  EXPECT_EQ(h.prog.wave.ReferencePulse[500], 80.0f);
  EXPECT_EQ(h.prog.wave.ReferencePulse[499], 0.0f);
  for (int16_t c : h.prog.wave.DriveCodes) {
    EXPECT_GE(c, 1);
    EXPECT_LE(c, 255);
  }
}

TEST_F(WaveshapeTest, OnlyTheFirst1024NumbersAreRead) {
  std::string text = ShapeFile(1024, {{1023, "0.75"}});
  text += "9,9,9\r\nnot even a number\r\n";
  Load(text);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(h.prog.profile.CustomShape[1023], 0.75f);
}

TEST_F(WaveshapeTest, AShortFileEndsInTheBoxKeepingTheSamplesRead) {
  const auto reference = h.prog.wave.ReferencePulse;
  Load(ShapeFile(1000, {{999, "0.5"}}));
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  62 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "Input past end of file");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  EXPECT_EQ(h.prog.profile.CustomShape[999], 0.5f);
  EXPECT_EQ(h.prog.wave.ReferencePulse, reference);  // no recompute after Cancel
}

TEST_F(WaveshapeTest, ABadNumberIsRetriedInPlace) {
  h.prog.profile.CustomShape.fill(0.125f);
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  Load(ShapeFile(1024, {{9, "0.5"}, {10, "1,5x"}}));
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[1].Title, "Error #  13 Occured");
  EXPECT_EQ(h.prog.profile.CustomShape[9], 0.5f);
  EXPECT_EQ(h.prog.profile.CustomShape[10], 1.0f);  // "1" before the comma was a number
  EXPECT_EQ(h.prog.profile.CustomShape[11], 0.125f);
}

TEST_F(WaveshapeTest, HugeSamplesAreRefusedBeforeTheyReachTheDrive) {
  Load(ShapeFile(1024, {{3, "1e30"}}));
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  6 Occured");
  EXPECT_EQ(h.prog.profile.CustomShape[3], 0.0f);
  // The largest accepted magnitude still gives a drive within the code range.
  h.plat.Boxes.clear();
  Load(ShapeFile(1024, {{3, "1e6"}, {4, "-1e6"}}));
  EXPECT_TRUE(h.plat.Boxes.empty());
  for (int16_t c : h.prog.wave.DriveCodes) {
    ASSERT_GE(c, 1);
    ASSERT_LE(c, 255);
  }
}
