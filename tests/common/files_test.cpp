#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/error_box.h"
#include "common/prompt.h"
#include "common/text_file.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using namespace common;
namespace fs = std::filesystem;

TEST(TextReader, FieldsByCommaOrLineEndWithQuotedTexts) {
  TextReader r("\"a, b\",1.5,-2\r\n.25 ,\"x\"\n  3e2\r\n,7\r\n");
  EXPECT_EQ(r.ReadText(), "a, b");
  EXPECT_EQ(r.ReadNumber(), 1.5);
  EXPECT_EQ(r.ReadNumber(), -2);
  EXPECT_EQ(r.ReadNumber(), 0.25);
  EXPECT_EQ(r.ReadText(), "x");
  EXPECT_FALSE(r.Eof());
  EXPECT_EQ(r.ReadNumber(), 300);
  EXPECT_EQ(r.ReadNumber(), 0);  // an empty field reads as 0
  EXPECT_EQ(r.ReadNumber(), 7);
  EXPECT_TRUE(r.Eof());
  try {
    r.ReadNumber();
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.Number(), 62);
    EXPECT_EQ(e.Description(), "Input past end of file");
  }
  TextReader bad("abc\r\n");
  try {
    bad.ReadNumber();
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.Number(), 13);
  }
  TextReader lines("first line, with comma\r\nsecond");
  EXPECT_EQ(lines.ReadLine(), "first line, with comma");
  EXPECT_EQ(lines.ReadLine(), "second");
  EXPECT_THROW(lines.ReadLine(), RunError);
}

TEST(TextReader, OpenFailuresCarryTheirNumbers) {
  testing_support::TempDir dir;
  const fs::path& d = dir.Path();
  auto numberOf = [](const std::string& path) {
    try {
      TextReader::Open(path);
    } catch (const RunError& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(numberOf((d / "missing.txt").string()), 53);
  EXPECT_EQ(numberOf((d / "nodir" / "x.txt").string()), 76);
  EXPECT_EQ(numberOf(d.string()), 75);
}

TEST(TextWriter, ReplacesTheFileOnlyWhenComplete) {
  testing_support::TempDir dir;
  const fs::path& d = dir.Path();
  fs::path f = d / "out.dat";
  TextWriter w(f.string());
  w.WriteLine({Quoted("say \"hi\""), "1", ".5"});
  w.Commit();
  EXPECT_EQ(testing_support::ReadFile(f.string()), "\"say 'hi'\",1,.5\r\n");
  // An unwritable folder: the old file stays as it was and no temporary is left.
  if (geteuid() != 0) {
    chmod(d.c_str(), 0555);
    TextWriter w2(f.string());
    w2.WriteLine({"2"});
    try {
      w2.Commit();
      FAIL();
    } catch (const RunError& e) {
      EXPECT_EQ(e.Number(), 70);
    }
    chmod(d.c_str(), 0755);
    EXPECT_EQ(testing_support::ReadFile(f.string()), "\"say 'hi'\",1,.5\r\n");
  }
  try {
    WriteFileAtomically((d / "no" / "x").string(), "x");
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.Number(), 76);
  }
  EXPECT_FALSE(fs::exists(f.string() + ".tmp~"));
}

namespace {

// Runs `check` as a user without root's right to write any file: in a child that drops to
// "nobody" when the suite runs as root (as CI does), in-process otherwise.
bool AsUnprivilegedUser(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  const pid_t child = fork();
  if (child == 0) {
    const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
    _exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(TextWriter, ASaveKeepsProtectionLinksModeAndRefusesWildcardNames) {
  testing_support::TempDir dir;
  const fs::path& d = dir.Path();
  const std::string file = (d / "KRX8Cal.Dat").string();
  testing_support::WriteFile(file, "old");
  // A write-protected file in a folder anyone may write: the save fails as opening the file
  // for output fails, and nothing changes.
  chmod(d.c_str(), 0777);
  chmod(file.c_str(), 0444);
  EXPECT_TRUE(AsUnprivilegedUser([&] {
    try {
      WriteFileAtomically(file, "new");
      return false;
    } catch (const RunError& e) {
      return e.Number() == 70 && testing_support::ReadFile(file) == "old" &&
             !fs::exists(file + ".tmp~");
    }
  }));
  // A link stays a link; the file it points to gets the contents and keeps its mode.
  chmod(file.c_str(), 0640);
  fs::create_symlink("KRX8Cal.Dat", d / "link.dat");
  WriteFileAtomically((d / "link.dat").string(), "through");
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(d / "link.dat")));
  EXPECT_EQ(testing_support::ReadFile(file), "through");
  EXPECT_EQ(fs::status(file).permissions(), static_cast<fs::perms>(0640));
  // A wildcard name is a dialog's pattern, never a file.
  try {
    WriteFileAtomically((d / "KRXFileC.*").string(), "x");
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.Number(), 52);
  }
  EXPECT_FALSE(fs::exists(d / "KRXFileC.*"));
}

TEST(ErrorBox, RetryRepeatsTheStatementAndCancelAbandons) {
  testing_support::TestPlatform plat;
  int calls = 0;
  plat.Answers = {ui::Answer::Retry, ui::Answer::Retry};
  bool ok = RetryCancel(plat, [&] {
    if (++calls < 3) throw RunError(53);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(calls, 3);
  ASSERT_EQ(plat.Boxes.size(), 2u);
  EXPECT_EQ(plat.Boxes[0].Title, "Error #  53 Occured");
  EXPECT_EQ(plat.Boxes[0].Text, "File not found");
  EXPECT_EQ(plat.Boxes[0].ButtonSet, ui::Buttons::RetryCancel);
  EXPECT_EQ(plat.Boxes[0].IconKind, ui::Icon::Exclamation);
  calls = 0;
  plat.Answers = {ui::Answer::Cancel};
  EXPECT_FALSE(RetryCancel(plat, [&] {
    ++calls;
    throw RunError(62);
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(plat.Boxes.back().Title, "Error #  62 Occured");
}

TEST(Prompt, OnlyANumberWithinTheBoundsIsStored) {
  testing_support::TestPlatform plat;
  Bounds b{0.5, 10, "Level must be between .5 and 10", " Out Of Bounds"};
  float v = 3;
  plat.Inputs = {"", "abc", "12", "10", " .5"};
  EXPECT_FALSE(AskNumberInBounds(plat, "Enter level", "Level", "3", b, v));  // Cancel / empty
  EXPECT_FALSE(AskNumberInBounds(plat, "Enter level", "Level", "3", b, v));  // not a number
  EXPECT_TRUE(plat.Boxes.empty());
  EXPECT_FALSE(AskNumberInBounds(plat, "Enter level", "Level", "3", b, v));  // out of bounds
  ASSERT_EQ(plat.Boxes.size(), 1u);
  EXPECT_EQ(plat.Boxes[0].Title, " Out Of Bounds");
  EXPECT_EQ(plat.Boxes[0].Text, "Level must be between .5 and 10");
  EXPECT_EQ(v, 3);
  EXPECT_TRUE(AskNumberInBounds(plat, "Enter level", "Level", "3", b, v));  // ends included
  EXPECT_EQ(v, 10);
  EXPECT_TRUE(AskNumberInBounds(plat, "Enter level", "Level", "3", b, v));
  EXPECT_EQ(v, 0.5f);
  EXPECT_EQ(plat.Prompts[0].Default, "3");
}
