#include "files/report_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sequencer/sequencer.h"
#include "files/run_folder_fixture.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace fs = std::filesystem;
using testing_support::Harness;
using testing_support::ReadFile;
using ui::Answer;
using ui::MenuId;

namespace {

const char* kExeQ =
    "You have chosen EXE as the file extension; do you want to continue to save this file?";

// Each test runs in an empty folder of its own.
class ReportFileTest : public testing_support::RunFolderTest {
 protected:
  static bool NoTemporaries() {
    for (const auto& e : fs::directory_iterator("."))
      if (e.path().string().find("tmp~") != std::string::npos) return false;
    return true;
  }
};

}  // namespace

TEST_F(ReportFileTest, SaveReportWritesThePictureAndAsksAboutExe) {
  h.plat.Files = {"KRXTestC.001"};
  h.Click(MenuId::mnuFileSaveReport);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  const auto& d = h.plat.Dialogs[0];
  EXPECT_TRUE(d.Save);
  EXPECT_EQ(d.Title, " KRX-8 Save Report");
  EXPECT_EQ(d.Filter,
            "All Reports (KRXTestC.*)|KRXTestC.*|All Reports (*.rpt)|*.rpt|All Files (*.*)|*.*");
  EXPECT_EQ(d.FilterIndex, 1);
  EXPECT_EQ(d.FileName, "KRXTestC.*");
  EXPECT_EQ(ReadFile("KRXTestC.001").substr(0, 2), "BM");
  EXPECT_EQ(p.files.ReportFileName, "KRXTestC.001");
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_TRUE(NoTemporaries());

  // An exe extension in any case asks first; Yes saves under that name, No saves nothing.
  h.plat.Files = {"rep.eXe", "other.EXE"};
  h.plat.Answers = {Answer::Yes, Answer::No};
  h.Click(MenuId::mnuFileSaveReport);
  h.Click(MenuId::mnuFileSaveReport);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Text, kExeQ);
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::YesNo);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Critical);
  EXPECT_TRUE(fs::exists("rep.eXe"));
  EXPECT_FALSE(fs::exists("other.EXE"));
}

TEST_F(ReportFileTest, CancelledOrUntouchedSaveDialogSavesNothingSilently) {
  h.Click(MenuId::mnuFileSaveReport);  // cancelled: the initial name comes back
  h.plat.Files = {""};
  h.Click(MenuId::mnuFileSaveReport);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_TRUE(h.plat.Plot.SavedTo.empty());
  EXPECT_TRUE(fs::is_empty("."));
}

TEST_F(ReportFileTest, SaveFailuresAskRetryAndKeepTheOldReport) {
  // A missing folder: Retry repeats the save (and fails again), Cancel ends the command.
  h.plat.Files = {"missing/KRXTestC.002"};
  h.plat.Answers = {Answer::Retry};
  h.Click(MenuId::mnuFileSaveReport);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  76 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "Path not found");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  EXPECT_EQ(h.plat.Boxes[1].Title, "Error #  76 Occured");

  // The canvas cannot write: the old report stays whole and no temporary is left.
  std::ofstream("KRXTestC.003", std::ios::binary) << "BM old";
  h.plat.Boxes.clear();
  h.plat.Plot.FailSave = true;
  h.plat.Files = {"KRXTestC.003"};
  h.Click(MenuId::mnuFileSaveReport);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  75 Occured");
  EXPECT_EQ(ReadFile("KRXTestC.003"), "BM old");
  EXPECT_TRUE(NoTemporaries());

  // A folder under the chosen name is not overwritten.
  h.plat.Boxes.clear();
  h.plat.Plot.FailSave = false;
  fs::create_directories("KRXTestC.004");
  h.plat.Files = {"KRXTestC.004"};
  h.Click(MenuId::mnuFileSaveReport);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  75 Occured");
  EXPECT_TRUE(fs::is_directory("KRXTestC.004"));
}

TEST_F(ReportFileTest, OpenReportLoadsThePictureWhereTheProfileNameWas) {
  std::ofstream("KRXTestC.010", std::ios::binary) << "BM picture";
  h.plat.Files = {"KRXTestC.010"};
  h.Click(MenuId::mnuFileOpenReport);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_FALSE(h.plat.Dialogs[0].Save);
  EXPECT_EQ(h.plat.Dialogs[0].Title, " KRX-8 Open Test Report");
  EXPECT_EQ(h.plat.Dialogs[0].FileName, "KRXTestC.*");
  EXPECT_EQ(p.profile.ProfileFileName, "KRXTestC.010");
  EXPECT_EQ(h.plat.Plot.LoadedFrom, std::vector<std::string>{"KRXTestC.010"});
  EXPECT_TRUE(p.files.ReportLoaded);

  // A cancelled dialog loads nothing, though its name still lands in the profile name.
  p.files.ReportLoaded = false;
  h.Click(MenuId::mnuFileOpenReport);
  EXPECT_EQ(p.profile.ProfileFileName, "KRXTestC.*");
  EXPECT_EQ(h.plat.Plot.LoadedFrom.size(), 1u);
  EXPECT_FALSE(p.files.ReportLoaded);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(ReportFileTest, OpenFailuresAreReportedAndLeaveTheFlagDown) {
  h.plat.Files = {"nothere.rpt"};
  h.Click(MenuId::mnuFileOpenReport);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  53 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "File not found");

  std::ofstream("notapicture.rpt", std::ios::binary) << "plain text";
  h.plat.Files = {"notapicture.rpt"};
  h.Click(MenuId::mnuFileOpenReport);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[1].Title, "Error #  481 Occured");
  EXPECT_FALSE(p.files.ReportLoaded);
  EXPECT_TRUE(h.plat.Plot.LoadedFrom.empty());
}

TEST_F(ReportFileTest, AutoSaveDialogAsksItsQuestions) {
  // Left at the pattern: the extension question; an empty name: the file-name question.
  h.plat.Files = {"KRXTestC.*", "", "run.exe"};
  h.plat.Answers = {Answer::Yes, Answer::No, Answer::No};
  files::AskReportFileName(p);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_EQ(h.plat.Dialogs[0].Title, " KRX-8 Auto-Save Report");
  EXPECT_EQ(h.plat.Dialogs[0].FileName, "KRXTestC.*");
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text,
            "You have not chosen an extension the filename; do you want to continue to save "
            "this file?");
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Critical);
  EXPECT_EQ(p.files.ReportFileName, "KRXTestC.*");

  files::AskReportFileName(p);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[1].Text,
            "You have not chosen a filename; do you want to continue to save this file?");

  // A No to the exe question asks nothing more and leaves no name to save under.
  p.files.ReportFileName = "KRXTestC.old";
  files::AskReportFileName(p);
  ASSERT_EQ(h.plat.Boxes.size(), 3u);
  EXPECT_EQ(h.plat.Boxes[2].Text, kExeQ);
  EXPECT_EQ(p.files.ReportFileName, "");
}

TEST_F(ReportFileTest, RunWithAutoSaveAsksWhenArmedAndSavesAtItsEnd) {
  p.win.Check(MenuId::mnuTestAutoSave, true);
  h.plat.Files = {"KRXTestC.100"};
  h.Press(ui::ButtonId::cmdEqual);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_EQ(h.plat.Dialogs[0].Title, " KRX-8 Auto-Save Report");
  EXPECT_FALSE(fs::exists("KRXTestC.100"));  // nothing is saved when the run is armed

  p.control.SystemEqualized = 1;
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(200);
  EXPECT_EQ(p.run.PulseCount, 1);
  EXPECT_EQ(ReadFile("KRXTestC.100").substr(0, 2), "BM");
  EXPECT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(ReportFileTest, RunEndWithoutANameAsksForOneFirst) {
  // Manual mode pulses without equalising, so no name was asked for.
  p.win.Check(MenuId::mnuTestAutoSave, true);
  p.Row(profile::row::ControlMode) = 1;
  h.plat.Files = {"KRXTestC.200"};
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(200);
  ASSERT_EQ(h.plat.Dialogs.size(), 1u);
  EXPECT_EQ(h.plat.Dialogs[0].Title, " KRX-8 Auto-Save Report");
  EXPECT_TRUE(fs::exists("KRXTestC.200"));

  // The dialog cancelled at the end: asked to continue, but never saved under the pattern.
  fs::remove("KRXTestC.200");
  p.files.ReportFileName.clear();
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(200);
  EXPECT_EQ(h.plat.Dialogs.size(), 2u);
  EXPECT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Plot.SavedTo.size(), 1u);
  EXPECT_TRUE(fs::is_empty("."));
}
