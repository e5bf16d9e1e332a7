#include "profile/profile_file.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "profile/legacy_file.h"
#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using namespace profile;
using testing_support::Harness;
using testing_support::InDirectory;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using ui::Answer;
using ui::LabelId;
using ui::MenuId;

namespace {

bool SameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// A record in which every saved field is distinct, with awkward floats and texts.
void FillDistinct(ShockProfile& r) {
  const float awkward[] = {0.1f, -0.0f, 1e-40f, FLT_MAX, -FLT_MIN, 16.7f, 1.0f / 3.0f, 1e20f};
  for (int row = 1; row <= kFileRows; ++row) {
    r.Value[row] = row % 9 == 0 ? awkward[(row / 9) % 8] : row * 1.1f - 50;
    for (int a = 0; a < 5; ++a) r.Aux[row][a] = static_cast<float>(row) / (a + 3) - a;
    r.Label[row] = "row " + std::to_string(row) + ", part, " + std::string(row % 4, ' ');
  }
  r.TestTitle = "  Title, with commas,, and blanks  ";
  r.AccelModel = "Model 353B, rev. 2";
  r.AccelSerial = "SN,123";
  r.SubTitle1 = "";
  r.SubTitle2 = " sub 2 ";
}

// The lines of a file, without their CR LF ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

std::string FirstLines(const std::string& text, int n) {
  size_t at = 0;
  for (int i = 0; i < n; ++i) at = text.find("\r\n", at) + 2;
  return text.substr(0, at);
}

struct ProfileFileTest : ::testing::Test {
  void SetUp() override {
    SetProfileDefaults(h.prog);
    h.prog.win.SetCaption(LabelId::lblTestTitle, h.prog.profile.Record.TestTitle);
  }
  Harness h;
  TempDir dir;
};

}  // namespace

TEST(FieldToSingle, AcceptsEveryDecimalFormAndRefusesTheRest) {
  EXPECT_EQ(FieldToSingle(".1"), 0.1f);
  EXPECT_EQ(FieldToSingle("-.5"), -0.5f);
  EXPECT_EQ(FieldToSingle("+3"), 3.0f);
  EXPECT_EQ(FieldToSingle("1E-03"), 0.001f);
  EXPECT_EQ(FieldToSingle("2.5e+2"), 250.0f);
  EXPECT_EQ(FieldToSingle("  7 "), 7.0f);
  EXPECT_EQ(FieldToSingle(""), 0.0f);
  EXPECT_EQ(FieldToSingle("1e-50"), 0.0f);
  EXPECT_EQ(FieldToSingle("1e-400"), 0.0f);
  EXPECT_EQ(FieldToSingle("3.4028235e38"), FLT_MAX);
  for (const char* bad :
       {"abc", "inf", "nan", "-inf", "1.2.3", "+-1", "--1", "1e", "5 G", "0x10", "."})
    try {
      FieldToSingle(bad);
      ADD_FAILURE() << bad << " was read as a number";
    } catch (const common::RunError& e) {
      EXPECT_EQ(e.Number(), common::kErrTypeMismatch) << bad;
    }
  for (const char* big : {"1e39", "-3.5e38", "1e400"}) try {
      FieldToSingle(big);
      ADD_FAILURE() << big << " did not overflow";
    } catch (const common::RunError& e) {
      EXPECT_EQ(e.Number(), common::kErrOverflow) << big;
    }
}

TEST_F(ProfileFileTest, SaveAndOpenReturnEveryRowLabelAndTextBitForBit) {
  auto& r = h.prog.profile.Record;
  FillDistinct(r);
  // Keep the interpreted rows sane so that the recompute after opening has a pulse to draw.
  r.Value[row::PulseShape] = 1;
  r.Value[row::PulseDuration] = 10;
  r.Value[row::SampleRateCode] = 1;
  r.Value[row::Polarity] = 2;
  h.prog.win.SetCaption(LabelId::lblTestTitle, r.TestTitle);
  const ShockProfile saved = r;
  const std::string path = dir / "KRXFileC.001";

  h.plat.Files = {path};
  h.Click(MenuId::mnuFileSaveProfile);
  ASSERT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(h.prog.profile.ProfileFileName, path);
  const std::string text = ReadFile(path);
  auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 205u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(lines[0].rfind("1,", 0), 0u);  // row 1 first: row 0 is never saved
  EXPECT_EQ(lines[200], "\"  Title, with commas,, and blanks  \"");
  EXPECT_EQ(lines[203], "\"\"");
  for (const auto& line : lines)
    for (const char* zero : {",0.", ",-0."})
      EXPECT_EQ(("," + line).find(zero), std::string::npos) << line;

  ShockProfile blank;
  blank.Value[0] = r.Value[0];
  r = blank;
  h.prog.win.SetCaption(LabelId::lblTestTitle, "something else");
  const int refreshes = h.prog.plot.RefreshCount;
  h.plat.Files = {path};
  h.Click(MenuId::mnuFileOpenProfile);
  ASSERT_TRUE(h.plat.Boxes.empty());
  for (int row = 1; row <= kFileRows; ++row) {
    if (row != row::PretestLevelDb) {  // the board set-up's own
      EXPECT_TRUE(SameBits(r.Value[row], saved.Value[row])) << "row " << row;
    }
    for (int a = 0; a < 5; ++a) EXPECT_TRUE(SameBits(r.Aux[row][a], saved.Aux[row][a]));
    EXPECT_EQ(r.Label[row], saved.Label[row]);
  }
  EXPECT_EQ(r.TestTitle, saved.TestTitle);
  EXPECT_EQ(r.AccelModel, saved.AccelModel);
  EXPECT_EQ(r.AccelSerial, saved.AccelSerial);
  EXPECT_EQ(r.SubTitle1, saved.SubTitle1);
  EXPECT_EQ(r.SubTitle2, saved.SubTitle2);
  EXPECT_EQ(h.prog.win.Lbl(LabelId::lblTestTitle).Caption, saved.TestTitle);
  // The opened profile is in force: menus synchronised, plot redrawn.
  EXPECT_TRUE(h.prog.win.Checked(MenuId::mnuShockPolarityNeg));
  EXPECT_FALSE(h.prog.win.Checked(MenuId::mnuShockPolarityPos));
  EXPECT_GT(h.prog.plot.RefreshCount, refreshes);
  // The scan rate follows the loaded sampling code, whatever the board set-up chose.
  EXPECT_EQ(h.prog.daq.AdcRate, 1280);
}

TEST_F(ProfileFileTest, DialogsProposeTheirNamesAndCancelChangesNothing) {
  auto& r = h.prog.profile.Record;
  const ShockProfile before = r;
  h.Click(MenuId::mnuFileOpenProfile);
  h.Click(MenuId::mnuFileOpenLegacyProfile);
  h.Click(MenuId::mnuFileSaveProfile);
  ASSERT_EQ(h.plat.Dialogs.size(), 3u);
  const char* titles[] = {"KRX-8 Open Profile", "KRX-8 Open Profile", "KRX-8 Save Profile"};
  for (int i = 0; i < 3; ++i) {
    const auto& d = h.plat.Dialogs[i];
    EXPECT_EQ(d.Save, i == 2);
    EXPECT_EQ(d.Title, titles[i]);
    EXPECT_EQ(
        d.Filter,
        "All Profiles (KRXFileC.*)|KRXFileC.*|All Profiles (*.prf)|*.prf|All Files (*.*)|*.*");
    EXPECT_EQ(d.FilterIndex, 1);
    EXPECT_EQ(d.FileName, "KRXFileC.*");
  }
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(h.prog.profile.ProfileFileName, "KRXFileC.*");
  EXPECT_EQ(r.Value, before.Value);
  EXPECT_EQ(r.TestTitle, before.TestTitle);
  EXPECT_EQ(h.prog.plot.RefreshCount, 0);
}

TEST_F(ProfileFileTest, AFileCutShortOverlaysOnlyWhatItHolds) {
  auto& r = h.prog.profile.Record;
  ShockProfile filled;
  FillDistinct(filled);
  const std::string full = ProfileText(filled);
  const ShockProfile defaults = r;

  // Cut after line 10: rows 1..10 loaded, everything else untouched, no message.
  FieldSource src(h.plat, ErrorCaption::Plain);
  src.Attach(FirstLines(full, 10));
  EXPECT_TRUE(ReadProfileFields(src, r));
  EXPECT_TRUE(h.plat.Boxes.empty());
  for (int row = 1; row <= 10; ++row) EXPECT_EQ(r.Value[row], filled.Value[row]);
  for (int row = 11; row <= kFileRows; ++row) {
    EXPECT_EQ(r.Value[row], defaults.Value[row]) << row;
    EXPECT_EQ(r.Label[row], "");
  }
  EXPECT_EQ(r.TestTitle, defaults.TestTitle);

  // Cut inside a row: the fields before the end are taken, the rest of the row stays.
  r = defaults;
  FieldSource mid(h.plat, ErrorCaption::Plain);
  mid.Attach("1,2,3\r\n");
  EXPECT_TRUE(ReadProfileFields(mid, r));
  EXPECT_EQ(r.Value[1], 1.0f);
  EXPECT_EQ(r.Aux[1][0], 2.0f);
  EXPECT_EQ(r.Aux[1][1], 3.0f);
  EXPECT_EQ(r.Aux[1][2], 0.0f);
  EXPECT_EQ(r.Value[2], defaults.Value[2]);

  // Anything after line 205 is not read.
  FieldSource longer(h.plat, ErrorCaption::Plain);
  longer.Attach(full + "garbage,\"x\"\r\nmore\r\n");
  EXPECT_TRUE(ReadProfileFields(longer, r));
  EXPECT_EQ(r.SubTitle2, filled.SubTitle2);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(ProfileFileTest, ANonNumericFieldGivesTheBoxAndCancelChangesNothing) {
  auto& r = h.prog.profile.Record;
  h.prog.profile.ProfileFileName = "before.prf";
  h.prog.wave.DriveSynthesized = true;
  const ShockProfile before = r;
  const std::string path = dir / "bad.prf";
  WriteFile(
      path,
      "2,0,0,0,0,0,\"a\"\r\n33,0,0,0,0,0,\"b\"\r\n7,x7,0,0,0,0,\"c\"\r\n9,0,0,0,0,0,\"d\"\r\n");
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  h.plat.Files = {path};
  h.prog.win.SetCaption(LabelId::lblTestTitle, "on screen");
  h.Click(MenuId::mnuFileOpenProfile);
  // Retry reads the same field again, so it fails again rather than shifting the fields.
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  for (const auto& b : h.plat.Boxes) {
    EXPECT_EQ(b.Title, "Error #  13 Occured");
    EXPECT_EQ(b.Text, "Type mismatch");
    EXPECT_EQ(b.ButtonSet, ui::Buttons::RetryCancel);
    EXPECT_EQ(b.IconKind, ui::Icon::Exclamation);
  }
  // Cancelled: not a field of the file is taken, the name and the drive stand, no recompute.
  EXPECT_EQ(r.Value, before.Value);
  EXPECT_EQ(r.Aux, before.Aux);
  EXPECT_EQ(r.Label, before.Label);
  EXPECT_EQ(r.TestTitle, before.TestTitle);
  EXPECT_EQ(h.prog.profile.ProfileFileName, "before.prf");
  EXPECT_TRUE(h.prog.wave.DriveSynthesized);
  EXPECT_EQ(h.prog.plot.RefreshCount, 0);
  EXPECT_EQ(h.prog.win.Lbl(LabelId::lblTestTitle).Caption, "on screen");
}

TEST_F(ProfileFileTest, TheDefaultProfileComesFromTheWorkingDirectory) {
  InDirectory here(dir.Path());
  auto& r = h.prog.profile.Record;

  // Missing: its own caption, and the built-in defaults stay in force.
  const ShockProfile defaults = r;
  LoadDefaultProfile(h.prog);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title,
            "Error Loading Default Profile (KRXFileC.000)\r\n Error #  53 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "File not found");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(r.Value, defaults.Value);
  EXPECT_EQ(h.prog.profile.ProfileFileName, " DEFAULT PROFILE");

  // Present, with a trigger level of 0: it becomes 1.0, the name and title label follow.
  ShockProfile file = defaults;
  file.Value[row::TriggerLevel] = 0;
  file.Value[row::PulseAmplitude] = 42;
  file.TestTitle = "DEFAULT, FROM FILE";
  WriteFile("KRXFileC.000", ProfileText(file));
  h.plat.Boxes.clear();
  LoadDefaultProfile(h.prog);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(r.Value[row::PulseAmplitude], 42.0f);
  EXPECT_EQ(r.Value[row::TriggerLevel], 1.0f);
  EXPECT_EQ(h.prog.profile.ProfileFileName, "     \\KRXFileC.000");
  EXPECT_EQ(h.prog.win.Lbl(LabelId::lblTestTitle).Caption, "DEFAULT, FROM FILE");

  // The same file opened from the menu keeps its trigger level of 0.
  h.plat.Files = {"KRXFileC.000"};
  h.Click(MenuId::mnuFileOpenProfile);
  EXPECT_EQ(r.Value[row::TriggerLevel], 0.0f);
}

TEST_F(ProfileFileTest, RetryRepeatsTheFailedStatement) {
  // The default profile appears while its error box is open: Retry then loads it.
  struct FixingPlatform : testing_support::TestPlatform {
    std::string Path, Content;
    ui::Answer MessageBox(const std::string& t, ui::Buttons b, ui::Icon i,
                          const std::string& title) override {
      TestPlatform::MessageBox(t, b, i, title);
      WriteFile(Path, Content);
      return ui::Answer::Retry;
    }
  } plat;
  Program prog(plat);
  SetProfileDefaults(prog);
  InDirectory here(dir.Path());
  ShockProfile file = prog.profile.Record;
  file.Value[row::PulseAmplitude] = 77;
  plat.Path = "KRXFileC.000";
  plat.Content = ProfileText(file);
  LoadDefaultProfile(prog);
  EXPECT_EQ(plat.Boxes.size(), 1u);
  EXPECT_EQ(prog.Row(row::PulseAmplitude), 77.0f);
  EXPECT_EQ(prog.profile.ProfileFileName, "     \\KRXFileC.000");
}

TEST_F(ProfileFileTest, SavingAsExeAsksFirstAndNoWritesNothing) {
  const std::string path = dir / "profile.Exe";
  h.plat.Files = {path};
  h.plat.Answers = {Answer::No};
  h.Click(MenuId::mnuFileSaveProfile);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(
      h.plat.Boxes[0].Text,
      "You have chosen EXE as the file extension; do you want to continue to save this file?");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::YesNo);
  EXPECT_EQ(h.plat.Boxes[0].IconKind, ui::Icon::Critical);
  EXPECT_FALSE(std::filesystem::exists(path));

  h.plat.Files = {path};
  h.plat.Answers = {Answer::Yes};
  h.Click(MenuId::mnuFileSaveProfile);
  EXPECT_EQ(Lines(ReadFile(path)).size(), 205u);

  // Any other name asks nothing.
  h.plat.Boxes.clear();
  h.plat.Files = {dir / "exe.prf"};
  h.Click(MenuId::mnuFileSaveProfile);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(ProfileFileTest, AFailedSaveReportsAndLeavesTheOldFileIntact) {
  const std::string path = dir / "KRXFileC.002";
  WriteFile(path, "old profile\r\n");
  // The temporary file beside it cannot be created.
  std::filesystem::create_directory(path + ".tmp~");
  h.plat.Files = {path};
  h.plat.Answers = {Answer::Retry, Answer::Cancel};
  h.Click(MenuId::mnuFileSaveProfile);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Title.rfind("Error # ", 0), 0u);
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(ReadFile(path), "old profile\r\n");

  // An unwritable folder: path not found, nothing created.
  h.plat.Boxes.clear();
  h.plat.Files = {dir / "no such folder/KRXFileC.003"};
  h.Click(MenuId::mnuFileSaveProfile);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  76 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "Path not found");
}

TEST_F(ProfileFileTest, ADoubleQuoteInATextIsSavedAsAnApostrophe) {
  auto& r = h.prog.profile.Record;
  h.prog.win.SetCaption(LabelId::lblTestTitle, "the \"big\" test, one");
  r.Label[77] = "say \"hi\"";
  const std::string path = dir / "quotes.prf";
  h.plat.Files = {path};
  h.Click(MenuId::mnuFileSaveProfile);
  r.Label[77].clear();
  ASSERT_TRUE(ReadProfile(h.prog, path));
  EXPECT_EQ(r.TestTitle, "the 'big' test, one");
  EXPECT_EQ(r.Label[77], "say 'hi'");
  EXPECT_EQ(r.AccelModel, "");  // the fields after the texts are not shifted
}

TEST_F(ProfileFileTest, NumbersUseAPointWhateverTheLocale) {
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      comma = name;
      break;
    }
  if (!comma) GTEST_SKIP() << "no locale with a decimal comma is installed";
  auto& r = h.prog.profile.Record;
  r.Value[row::PulseAmplitude] = 16.7f;
  r.Aux[3][2] = -0.25f;
  const std::string text = ProfileText(r);
  ShockProfile back;
  FieldSource src(h.plat, ErrorCaption::Plain);
  src.Attach(text);
  bool ok = ReadProfileFields(src, back);
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_TRUE(ok);
  EXPECT_NE(text.find("16.7,"), std::string::npos);
  EXPECT_EQ(back.Value[row::PulseAmplitude], 16.7f);
  EXPECT_EQ(back.Aux[3][2], -0.25f);
}

TEST_F(ProfileFileTest, ALegacyProfileFillsRowsOneToSixtyFourAndThreeTexts) {
  auto& r = h.prog.profile.Record;
  std::string text;
  for (int row = 1; row <= kLegacyRows; ++row)
    text += std::to_string(row * 2) + ",1,2,3,4,5,\"L" + std::to_string(row) + "\"\r\n";
  const std::string rows = text;
  text += "\"OLD TITLE\"\r\n\"M1\"\r\n\"S1\"\r\n";
  const std::string path = dir / "KRXFileC.old";
  WriteFile(path, text);
  r.Value[65] = -1;
  r.Value[200] = -2;
  r.SubTitle1 = "sub one";
  h.prog.win.SetCaption(LabelId::lblTestTitle, "screen title");
  h.plat.Files = {path};
  h.Click(MenuId::mnuFileOpenLegacyProfile);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(r.Value[64], 128.0f);
  EXPECT_EQ(r.Label[64], "L64");
  EXPECT_EQ(r.Aux[64][4], 5.0f);
  EXPECT_EQ(r.Value[65], -1.0f);
  EXPECT_EQ(r.Value[200], -2.0f);
  EXPECT_EQ(r.TestTitle, "OLD TITLE");
  EXPECT_EQ(r.AccelSerial, "S1");
  EXPECT_EQ(r.SubTitle1, "sub one");
  EXPECT_EQ(h.prog.win.Lbl(LabelId::lblTestTitle).Caption, "OLD TITLE");
  EXPECT_GT(h.prog.plot.RefreshCount, 0);

  // Without the text lines the title on screen is kept.
  WriteFile(path, rows);
  h.plat.Files = {path};
  h.Click(MenuId::mnuFileOpenLegacyProfile);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(r.TestTitle, "OLD TITLE");
}

TEST_F(ProfileFileTest, AShortLegacyProfileEndsInTheBoxChangingNothing) {
  auto& r = h.prog.profile.Record;
  const ShockProfile defaults = r;
  std::string text;
  for (int row = 1; row <= 40; ++row) text += std::to_string(row + 1000) + ",0,0,0,0,0,\"x\"\r\n";
  text += "5000,9\r\n";  // row 41 ends inside the row
  const std::string path = dir / "short.old";
  WriteFile(path, text);
  h.plat.Files = {path};
  h.Click(MenuId::mnuFileOpenLegacyProfile);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error #  62 Occured");
  EXPECT_EQ(h.plat.Boxes[0].Text, "Input past end of file");
  EXPECT_EQ(r.Value, defaults.Value);
  EXPECT_EQ(r.Aux, defaults.Aux);
  EXPECT_EQ(h.prog.plot.RefreshCount, 0);
}

// Writes the built-in defaults through the program's own save, for the sample profile:
// KRX_WRITE_SAMPLE_PROFILE=/path/KRXFileC.000 krx8_tests --gtest_filter=*SampleProfile*
TEST_F(ProfileFileTest, SampleProfile) {
  const char* target = std::getenv("KRX_WRITE_SAMPLE_PROFILE");
  if (!target) GTEST_SKIP() << "KRX_WRITE_SAMPLE_PROFILE is not set";
  h.plat.Files = {target};
  h.Click(MenuId::mnuFileSaveProfile);
  EXPECT_TRUE(h.plat.Boxes.empty());
}
