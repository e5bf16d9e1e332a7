#include "files/calibration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace fs = std::filesystem;
using testing_support::Harness;
using ui::Answer;
using ui::MenuId;

namespace {

const char* kLoadTitle53 =
    "Error Loading Calibration Factors File (Krx8Cal.Dat)\r\n Error #  53 Occured";

// Each test runs in an empty folder of its own: the file has no path.
class CalibrationTest : public ::testing::Test {
 protected:
  void SetUp() override { profile::SetProfileDefaults(p); }
  // A test may leave the folder read-only.
  void TearDown() override { fs::permissions(dir_.Path(), fs::perms::owner_all); }
  static void WriteFile(const std::string& text) {
    testing_support::WriteFile(files::kCalFileName, text);
  }
  static std::string ReadFile() { return testing_support::ReadFile(files::kCalFileName); }
  // 64 lines: line i holds 1 + i / 1000.
  static std::string Lines(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i) s += files::CalFactorText(1 + i / 1000.0f) + "\r\n";
    return s;
  }
  testing_support::TempDir dir_;
  testing_support::InDirectory in_{dir_.Path()};
  Harness h;
  Program& p = h.prog;
};

TEST_F(CalibrationTest, LoadsSixtyFourNumbersZeroAsOne) {
  std::string text = Lines(64);
  text.replace(text.find("1.033"), 5, "0");
  text.replace(text.find("1.002\r\n"), 7, "1.002,");  // commas separate as well
  WriteFile(text);
  files::LoadCalFactors(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.files.CalFactors[33], 1.0f);
  EXPECT_FLOAT_EQ(p.files.CalFactors[1], 1.001f);
  EXPECT_FLOAT_EQ(p.files.CalFactors[3], 1.003f);
  EXPECT_FLOAT_EQ(p.files.CalFactors[64], 1.064f);
  files::SaveCalFactors(p);
  std::string saved = ReadFile();
  EXPECT_NE(saved.find("\r\n1.032\r\n1\r\n1.034\r\n"), std::string::npos);
}

TEST_F(CalibrationTest, MissingFileShowsLoadingBoxAndKeepsDefaults) {
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  files::LoadCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Title, kLoadTitle53);
  EXPECT_EQ(h.plat.Boxes[0].Text, "File not found");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  EXPECT_EQ(p.files.CalFactors[33], 1.0f);

  // Retry opens again: a file that appeared meanwhile is read.
  h.plat.Boxes.clear();
  WriteFile(Lines(64));
  h.plat.Answers = {Answer::Retry};
  files::LoadCalFactors(p);  // first attempt succeeds: no box
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_FLOAT_EQ(p.files.CalFactors[33], 1.033f);
}

TEST_F(CalibrationTest, ShortOrBadFileKeepsWhatWasRead) {
  WriteFile(Lines(63));
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  files::LoadCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[1].Text, "Input past end of file");
  EXPECT_NE(h.plat.Boxes[1].Title.find(" Error #  62 Occured"), std::string::npos);
  EXPECT_FLOAT_EQ(p.files.CalFactors[63], 1.063f);

  // A non-numeric line: Retry reads that same line again, so nothing shifts.
  std::string text = Lines(64);
  text.replace(text.find("\r\n1.01\r\n") + 2, 4, "abc");
  WriteFile(text);
  p.files.CalFactors.fill(0);
  h.plat.Boxes.clear();
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  files::LoadCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "Type mismatch");
  EXPECT_FLOAT_EQ(p.files.CalFactors[9], 1.009f);
  EXPECT_EQ(p.files.CalFactors[10], 0.0f);
  EXPECT_EQ(p.files.CalFactors[11], 0.0f);

  // A number beyond single precision is refused, not stored as infinity.
  text = Lines(64);
  text.replace(text.find("1.005"), 5, "1e39");
  WriteFile(text);
  h.plat.Boxes.clear();
  files::LoadCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "Overflow");
}

TEST_F(CalibrationTest, SavesPlainNumbersOneALine) {
  p.files.CalFactors.fill(1.0f);
  p.files.CalFactors[35] = 1.1f;
  p.files.CalFactors[2] = 0.95f;
  p.files.CalFactors[4] = 1.0f / 3.0f;
  p.files.CalFactors[5] = -0.5f;
  files::SaveCalFactors(p);
  std::string saved = ReadFile();
  std::vector<std::string> lines;
  for (size_t pos = 0, end; (end = saved.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    lines.push_back(saved.substr(pos, end - pos));
  ASSERT_EQ(lines.size(), 64u);
  EXPECT_EQ(saved.size(), saved.rfind("\r\n") + 2);
  EXPECT_EQ(lines[0], "1");
  EXPECT_EQ(lines[1], ".95");
  EXPECT_EQ(lines[3], ".3333333");
  EXPECT_EQ(lines[4], "-.5");
  EXPECT_EQ(lines[34], "1.1");
  // It reads back as written.
  p.files.CalFactors.fill(0);
  files::LoadCalFactors(p);
  EXPECT_FLOAT_EQ(p.files.CalFactors[35], 1.1f);
  EXPECT_FLOAT_EQ(p.files.CalFactors[4], 1.0f / 3.0f);
}

TEST_F(CalibrationTest, SaveOverAFolderOffersRetry) {
  fs::create_directory(files::kCalFileName);  // the name is taken by a folder
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  files::SaveCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  75 Occured");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
}

TEST_F(CalibrationTest, ReadOnlyFolderKeepsTheOldFile) {
  WriteFile("old");
  fs::permissions(dir_.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream probe("probe"); probe) GTEST_SKIP() << "folder permissions not enforced";
  h.plat.Boxes.clear();
  files::SaveCalFactors(p);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  70 Occured");
  EXPECT_EQ(ReadFile(), "old");
}

TEST_F(CalibrationTest, GainPromptsAndUpdateCommand) {
  h.plat.Inputs = {"0.75", "1.25", "0.7499", "1.2501", "abc", ""};
  h.Click(MenuId::mnuSystemCalGain, 0);
  EXPECT_EQ(p.files.CalFactors[33], 0.75f);
  h.Click(MenuId::mnuSystemCalGain, 15);
  EXPECT_EQ(p.files.CalFactors[48], 1.25f);
  for (int i = 0; i < 4; ++i) h.Click(MenuId::mnuSystemCalGain, 2);
  EXPECT_EQ(p.files.CalFactors[35], 1.0f);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "The Number must be between 0.75 and 1.25.");
  EXPECT_EQ(h.plat.Boxes[0].Title, "Out Of Bounds");
  ASSERT_EQ(h.plat.Prompts.size(), 6u);
  EXPECT_EQ(h.plat.Prompts[0].Text, "Enter Channel #1 calibration factor between 0.75 and 1.25");
  EXPECT_EQ(h.plat.Prompts[0].Title, "Setup Calibration Factors");
  EXPECT_EQ(h.plat.Prompts[0].Default, "1");
  EXPECT_EQ(h.plat.Prompts[2].Text, "Enter Channel #3 calibration factor between 0.75 and 1.25");
  EXPECT_FALSE(fs::exists(files::kCalFileName));  // editing never writes the file

  h.plat.Boxes.clear();
  h.plat.Answers = {Answer::No};
  h.Click(MenuId::mnuSystemCalUpdate);
  EXPECT_FALSE(fs::exists(files::kCalFileName));
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text,
            "This will alter the VAV calibration file; do you want to alter the file?");
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Critical);
  h.Click(MenuId::mnuSystemCalUpdate);  // Yes
  EXPECT_NE(ReadFile().find("\r\n.75\r\n"), std::string::npos);
}

}  // namespace
