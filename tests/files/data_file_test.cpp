#include "files/data_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/run_folder_fixture.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace fs = std::filesystem;
using testing_support::Harness;
using testing_support::ReadFile;
using ui::Answer;
using ui::MenuId;

namespace {

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  size_t at = 0;
  for (;;) {
    size_t n = s.find(sep, at);
    if (n == std::string::npos) {
      out.push_back(s.substr(at));
      return out;
    }
    out.push_back(s.substr(at, n - at));
    at = n + sep.size();
  }
}

class DataFileTest : public testing_support::RunFolderTest {
 protected:
  // The file's lines without their CR LF ends; the text after the last end must be empty.
  std::vector<std::string> Lines() {
    auto lines = Split(files::TestDataText(p), "\r\n");
    EXPECT_EQ(lines.back(), "");
    lines.pop_back();
    return lines;
  }
};

constexpr size_t kTrailer = 18;
constexpr size_t kAllLines = files::kDataSampleLines + profile::kRows + kTrailer;

}  // namespace

TEST_F(DataFileTest, SampleLinesHoldTimeChannelsAndDrive) {
  p.wave.SampleFactor = 1;
  p.daq.AdcZero = 10;
  for (int ch = 1; ch <= 8; ++ch) p.daq.ChannelScale[ch] = 100.0f * ch;
  p.daq.ChannelScale[5] = 0;  // no calibration: written as 0, not as an infinity
  // Scan 1 of the master board; the slave board's channels are never written.
  for (int ch = 1; ch <= 8; ++ch) p.daq.ScanBuffer[1 * 8 + ch - 1] = static_cast<int16_t>(60 * ch);
  p.daq.ScanBuffer[1023 * 8] = -90;  // the last sample, channel 1
  p.daq.SlaveScanBuffer.fill(1234);
  p.plot.TestLevelG = 20;
  p.wave.DriveCodes[1] = 178;
  p.wave.DriveCodes[1023] = 103;

  auto lines = Lines();
  ASSERT_EQ(lines.size(), kAllLines);
  for (int i = 0; i < files::kDataSampleLines; ++i) ASSERT_EQ(Split(lines[i], ",").size(), 10u);
  // (60ch - 10) / (100ch): ch 1 -> .5, ch 2 -> .55, ch 4 -> .575 ...
  EXPECT_EQ(lines[0], ".7812,.5,.55,.5666667,.575,0,.5833333,.5857143,.5875,10");
  EXPECT_EQ(lines[1022].substr(0, 14), "799.1676,-1,-.");
  EXPECT_EQ(Split(lines[1022], ",").back(), "-5");
  EXPECT_EQ(lines[1].substr(0, 7), "1.5624,");

  // At 10240 scans per second the step is 0.09765 ms.
  p.wave.SampleFactor = 8;
  lines = Lines();
  EXPECT_EQ(Split(lines[0], ",")[0], ".09765");
  EXPECT_EQ(Split(lines[1], ",")[0], ".1953");
}

TEST_F(DataFileTest, ProfileLinesCarryEveryRowAndItsText) {
  auto& r = p.profile.Record;
  r.Value[0] = 2;
  r.Aux[0] = {-0.25f, 0, 1e7f, 3.5f, 0.0001f};
  r.Label[0] = "Row \"zero\"";
  r.Value[200] = 0.7812f;
  r.Label[200] = "";
  auto lines = Lines();
  const size_t first = files::kDataSampleLines;
  EXPECT_EQ(lines[first], "2,-.25,0,10000000,3.5,.0001,\"Row 'zero'\"");
  EXPECT_EQ(lines[first + 200], ".7812,0,0,0,0,0,\"\"");
  for (size_t j = first; j < first + profile::kRows; ++j)
    EXPECT_EQ(Split(lines[j], ",").size(), 7u) << j;
}

TEST_F(DataFileTest, TrailerListsTitlesDateCountersAndPeaks) {
  auto& r = p.profile.Record;
  p.profile.ProfileFileName = "KRXFileC.007";
  p.win.SetCaption(ui::LabelId::lblTestTitle, "SHOCK TEST # 12");
  r.TestTitle = "stale";
  r.AccelModel = "M-1";
  r.AccelSerial = "S-2";
  r.SubTitle1 = "first";
  r.SubTitle2 = "second";
  p.run.PulseCount = 5;
  p.control.ControlPeakG = 14.5f;
  p.plot.ResponsePeakV = 1.25f;
  p.plot.ResponsePeakD = 0.3f;
  p.plot.RefPeakA = 15;
  p.plot.RefPeakV = 2.5f;
  p.plot.RefPeakD = 40.25f;
  p.run.DrivePeakCounts = 1234;
  auto lines = Lines();
  std::vector<std::string> trailer(lines.end() - kTrailer, lines.end());
  std::vector<std::string> want = {"\"KRXFileC.007\"",
                                   "\"SHOCK TEST # 12\"",
                                   "\"M-1\"",
                                   "\"S-2\"",
                                   "\"12/8/2026\"",
                                   "\"10:00:00\"",
                                   "\" \"",
                                   "5",
                                   "14.5",
                                   "1.25",
                                   ".6",
                                   "15",
                                   "2.5",
                                   "80.5",
                                   "30.85",
                                   "\"first\"",
                                   "\"second\"",
                                   "\" \""};
  EXPECT_EQ(trailer, want);
}

TEST_F(DataFileTest, ExportCommandWritesTheChosenFileOnly) {
  h.Click(MenuId::mnuFileExport);  // cancelled
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  const auto& d = h.plat.Dialogs[0];
  EXPECT_TRUE(d.Save);
  EXPECT_EQ(d.Title, "KRX-8 Save Test Data");
  EXPECT_EQ(d.Filter, "All Test Data(KRXDataC.*)| KRXDataC.*| All Files (*.*)| *.* ");
  EXPECT_EQ(d.FilterIndex, 1);
  EXPECT_EQ(d.FileName, "KRXDataC.*");
  h.plat.Files = {""};
  h.Click(MenuId::mnuFileExport);
  // Accepted unchanged, the dialog answers the pattern with its folder.
  h.plat.Files = {(fs::current_path() / "KRXDataC.*").string(), "KRXData?.1"};
  h.Click(MenuId::mnuFileExport);
  h.Click(MenuId::mnuFileExport);
  EXPECT_TRUE(fs::is_empty("."));
  EXPECT_TRUE(h.plat.Boxes.empty());

  // The export replaces an older file and takes the title from the title label.
  std::ofstream("KRXDataC.001", std::ios::binary) << "old";
  p.win.SetCaption(ui::LabelId::lblTestTitle, "TITLE ON SCREEN");
  h.plat.Files = {"KRXDataC.001"};
  h.Click(MenuId::mnuFileExport);
  EXPECT_EQ(p.files.DataFileName, "KRXDataC.001");
  EXPECT_EQ(p.profile.Record.TestTitle, "TITLE ON SCREEN");
  EXPECT_EQ(ReadFile("KRXDataC.001"), files::TestDataText(p));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(DataFileTest, ExportErrorsAskRetryOrCancel) {
  h.plat.Files = {"nofolder/KRXDataC.002"};
  h.plat.Answers = {Answer::Retry};
  h.Click(MenuId::mnuFileExport);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);  // the retry failed as well, then Cancel
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  76 Occured");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  EXPECT_TRUE(fs::is_empty("."));
}

TEST_F(DataFileTest, RunWithAutoExportAsksWhenArmedAndWritesAtItsEnd) {
  p.win.Check(MenuId::mnuTestAutoExport, true);
  h.plat.Files = {(fs::current_path() / "KRXDataC.*").string()};
  h.plat.Answers = {Answer::No};
  h.Press(ui::ButtonId::cmdEqual);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_EQ(h.plat.Dialogs[0].Title, " KRX-8 Auto-Export Data");
  EXPECT_EQ(h.plat.Dialogs[0].Filter,
            "All Data (KRXDataC.*)|KRXDataC.*|All Data (*.dat)|*.dat|All Files (*.*)|*.*");
  ASSERT_EQ(h.plat.Boxes.size(), 1u);  // the extension question, answered No
  EXPECT_EQ(p.files.DataFileName, "");

  // The refused name is asked for again at the end of the run, and the file is written.
  p.control.SystemEqualized = 1;
  h.plat.Files = {"KRXDataC.300"};
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(200);
  EXPECT_EQ(h.plat.Dialogs.size(), 2u);
  auto text = ReadFile("KRXDataC.300");
  EXPECT_EQ(Split(text, "\r\n").size(), kAllLines + 1);
  EXPECT_NE(text.find("\r\n1\r\n"), std::string::npos);  // the pulse count of the run
}
