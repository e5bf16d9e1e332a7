#include "app/remote.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "daq/digital.h"
#include "display/plot.h"
#include "profile/recompute.h"
#include "sequencer/sequencer.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using namespace app;
using namespace daq;
using control::RunStateOf;
using run::Run;
using namespace sequencer;
using testing_support::Harness;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::TestPlatform;
using testing_support::WriteFile;
using ui::MenuId;
using ui::TimerId;
namespace row = profile::row;

namespace {

struct RemoteBench : Harness {
  TempDir dir;
  std::string file = dir / "KRXControl.dat";
  RemoteBench() {
    profile::SetProfileDefaults(prog);
    prog.daq.DemoMode = 1;
    profile::RecomputeProfile(prog);
    prog.run.ControlFilePath = file;
    prog.Row(row::SoftwareRemote) = 1;
  }
  void Poll() { Send(Event::Tick(TimerId::tmrTimer3)); }
  void Other(const std::string& record) { WriteFile(file, record); }
  std::string Left() const { return ReadFile(file); }
  Run State() const { return RunStateOf(prog); }
};

}  // namespace

TEST(ControlFile, StartWithLevelOverride) {
  RemoteBench b;
  b.Other("19,\"\",12.5\r\n");
  b.Poll();
  EXPECT_EQ(b.State(), Run::FullLevel);
  EXPECT_EQ(b.prog.run.RemoteLevelOverride, 1.0f);
  EXPECT_EQ(b.Left(), "16,\"\",12.5\r\n");
  display::RefreshPlot(b.prog);
  EXPECT_FLOAT_EQ(b.prog.plot.TestLevelG, 12.5f);
  EXPECT_EQ(b.prog.win.Lbl(ui::LabelId::lblControlMode).Caption, "RemoteControl");

  // The command ran once; the override and the level hold while the record says so.
  b.Click(MenuId::mnuRunAbort);
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.prog.run.RemoteLevelOverride, 1.0f);
  EXPECT_EQ(b.Left(), "16,\"\",12.5\r\n");

  // A record without bit 4 ends the override: the profile's level is back.
  b.Other("0\r\n");
  b.Poll();
  EXPECT_EQ(b.prog.run.RemoteLevelOverride, 0.0f);
  EXPECT_EQ(b.Left(), "0,\"\",12.5\r\n");
  display::RefreshPlot(b.prog);
  EXPECT_FLOAT_EQ(b.prog.plot.TestLevelG, b.prog.Row(row::PulseAmplitude));
  EXPECT_TRUE(b.plat.Boxes.empty());
}

TEST(ControlFile, KeyIsHandledOnce) {
  RemoteBench b;
  b.Other("0,\"J\",0\r\n");
  b.plat.Plot.Items.clear();
  b.Poll();
  EXPECT_FALSE(b.plat.Plot.Items.empty());
  EXPECT_EQ(b.Left(), "0,\"\",0\r\n");
  b.plat.Plot.Items.clear();
  b.Poll();
  EXPECT_TRUE(b.plat.Plot.Items.empty());

  // Only the first character counts, and only its case-free meaning.
  b.Other("0,\"sx\"\r\n");
  b.Poll();
  EXPECT_EQ(b.State(), Run::FullLevel);

  // A record without a key field does not replay the key of an earlier record.
  b.prog.run.RemoteKey = "W";
  b.Other("0\r\n");
  b.Poll();
  EXPECT_TRUE(b.plat.Boxes.empty());
}

TEST(ControlFile, OnlyCommandsOneToFourAct) {
  struct Case {
    const char* record;
    run::Run after;
    float override;
  };
  const Case cases[] = {
      {"1", Run::Equalize, 0},      {"3", Run::FullLevel, 0},
      {"4", Run::PreTest, 0},       {"5", Run::Idle, 0},
      {"6", Run::Idle, 0},          {"7", Run::Idle, 0},
      {"23,\"\",20", Run::Idle, 1}, {" +2.9E0 ", Run::FullLevel, 0},
      {"4.5", Run::PreTest, 0},    // halves round to even: 4, not 5
      {"-13", Run::FullLevel, 0},  // the low bits of a negative command are 3
  };
  for (const Case& c : cases) {
    RemoteBench b;
    b.Other(std::string(c.record) + "\r\n");
    b.Poll();
    EXPECT_EQ(b.State(), c.after) << c.record;
    EXPECT_EQ(b.prog.run.RemoteLevelOverride, c.override) << c.record;
  }

  RemoteBench b;
  b.Other("3\r\n");
  b.Poll();
  b.Other("2\r\n");
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
}

TEST(ControlFile, MissingOrJunkFilesAreIgnoredSilently) {
  RemoteBench b;
  b.Poll();
  EXPECT_FALSE(std::filesystem::exists(b.file));

  // Unreadable records are left as they are and run nothing.
  for (const char* junk : {"abc\r\n", "3,\"\",abc\r\n", "3,\"\",1e39\r\n", "1e39\r\n", "",
                           "\r\n\r\n", "\"S\",3\r\n"}) {
    b.Other(junk);
    b.Poll();
    EXPECT_EQ(b.State(), Run::Idle) << junk;
    EXPECT_EQ(b.Left(), junk);
  }
  // A command no integer of the record holds is consumed and does nothing.
  b.Other("1e10,\"S\",5\r\n");
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.Left(), "0,\"\",5\r\n");

  // Past the size bound, the file is not a record.
  std::string huge = "3,\"" + std::string(kMaxControlFileBytes, 'S') + "\"\r\n";
  b.Other(huge);
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.Left(), huge);

  // A directory or a pipe in the file's place: no hang, no box.
  std::filesystem::remove(b.file);
  std::filesystem::create_directory(b.file);
  b.Poll();
  std::filesystem::remove(b.file);
  ASSERT_EQ(::mkfifo(b.file.c_str(), 0600), 0);
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_TRUE(b.plat.Boxes.empty());
}

TEST(ControlFile, OverrideTakesOnlyAnOperatorLevel) {
  for (const char* level : {"0", "-5", "200.5", "1e30"}) {
    RemoteBench b;
    b.Other(std::string("16,\"\",") + level + "\r\n");
    b.Poll();
    EXPECT_EQ(b.prog.run.RemoteLevelOverride, 0.0f) << level;
    display::RefreshPlot(b.prog);
    EXPECT_FLOAT_EQ(b.prog.plot.TestLevelG, b.prog.Row(row::PulseAmplitude)) << level;
    // The drive never follows a wild level.
    EXPECT_LE(b.prog.run.DrivePeakCounts, 4000);
  }
  // Every level an operator may enter in either unit system, down to Metric's 0.051 G.
  for (const char* level : {"200", ".3", ".051"}) {
    RemoteBench b;
    b.Other(std::string("16,\"\",") + level + "\r\n");
    b.Poll();
    EXPECT_EQ(b.prog.run.RemoteLevelOverride, 1.0f) << level;
    EXPECT_EQ(b.Left(), std::string("16,\"\",") + level + "\r\n");
  }
}

TEST(ControlFile, PollingFollowsTheInputsMenu) {
  RemoteBench b;
  b.prog.Row(row::SoftwareRemote) = 0;
  b.prog.win.Check(MenuId::mnuInputsDllControl, false);
  b.Other("3\r\n");
  b.Poll();
  EXPECT_EQ(b.State(), Run::Idle);
  EXPECT_EQ(b.Left(), "3\r\n");

  b.Click(MenuId::mnuInputsDllControl);
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuInputsDllControl));
  EXPECT_EQ(b.prog.Row(row::SoftwareRemote), 1.0f);
  // The housekeeping timer polls it on its own.
  b.Advance(250);
  EXPECT_EQ(b.State(), Run::FullLevel);
  b.Click(MenuId::mnuInputsDllControl);
  EXPECT_EQ(b.prog.Row(row::SoftwareRemote), 0.0f);

  b.Click(MenuId::mnuInputsRemote);
  EXPECT_TRUE(b.prog.win.Checked(MenuId::mnuInputsRemote));
  EXPECT_EQ(b.prog.Row(row::RemoteInputs), 1.0f);
  b.Click(MenuId::mnuInputsRemote);
  EXPECT_FALSE(b.prog.win.Checked(MenuId::mnuInputsRemote));
  EXPECT_EQ(b.prog.Row(row::RemoteInputs), 0.0f);
}

namespace {
// The other program writes a fresh record while the poll shows a box.
class RacingPlatform : public TestPlatform {
 public:
  std::string File, Record;
  ui::Answer MessageBox(const std::string& t, ui::Buttons b, ui::Icon i,
                        const std::string& title) override {
    if (!Record.empty()) WriteFile(File, Record);
    return TestPlatform::MessageBox(t, b, i, title);
  }
};
}  // namespace

TEST(ControlFile, RecordWrittenDuringThePollIsKeptForTheNext) {
  TempDir dir;
  RacingPlatform plat;
  Program prog(plat);
  profile::SetProfileDefaults(prog);
  prog.daq.DemoMode = 1;
  profile::RecomputeProfile(prog);
  prog.run.ControlFilePath = plat.File = dir / "KRXControl.dat";
  plat.Record = "3,\"\",5\r\n";
  WriteFile(plat.File, "16,\"W\",8\r\n");
  PollControlFile(prog);
  EXPECT_EQ(plat.Boxes.size(), 1u);
  EXPECT_EQ(ReadFile(plat.File), "3,\"\",5\r\n");
  plat.Record.clear();
  PollControlFile(prog);
  EXPECT_EQ(RunStateOf(prog), Run::FullLevel);
  EXPECT_EQ(ReadFile(plat.File), "0,\"\",5\r\n");
}

TEST(ControlFile, RecordsAcceptAnyDecimalForm) {
  ControlRecord r;
  ASSERT_TRUE(ParseControlRecord("  +1.9e1 , \"S\" , 1.25E1 ,junk\r\nmore", r));
  EXPECT_EQ(r.Command, 19.0f);
  EXPECT_EQ(r.Key, "S");
  EXPECT_EQ(r.LevelG, 12.5f);
  ASSERT_TRUE(ParseControlRecord(".5", r));
  EXPECT_EQ(r.Command, 0.5f);
  EXPECT_FALSE(r.HasKey);
  EXPECT_FALSE(r.HasLevel);
  EXPECT_EQ(ControlRecordText(1, 0.25f), "16,\"\",.25\r\n");
  EXPECT_EQ(ControlRecordText(0, -1.5f), "0,\"\",-1.5\r\n");
}

TEST(ControlFile, PathFromTheEnvironmentOrTheDefault) {
  EXPECT_EQ(ControlFilePathFrom(""), kDefaultControlFile);  // set but empty: the default
  EXPECT_EQ(ControlFilePathFrom("/srv/shaker/ctl.dat"), "/srv/shaker/ctl.dat");
  // A relative default is fixed as an absolute path on first use.
  testing_support::TestPlatform plat;
  Program prog(plat);
  EXPECT_TRUE(std::filesystem::path(ControlFilePath(prog)).is_absolute());
}

TEST(RemoteInputs, ActiveLowLinesRunTheirCommandsInOrder) {
  RemoteBench b;
  RunRemoteInputs(b.prog, daq::kRemoteInputsIdle);
  EXPECT_EQ(b.State(), Run::Idle);
  RunRemoteInputs(b.prog, 0xFE);
  EXPECT_EQ(b.State(), Run::Equalize);
  RunRemoteInputs(b.prog, 0xFB);
  EXPECT_EQ(b.State(), Run::FullLevel);
  RunRemoteInputs(b.prog, 0xFD);
  EXPECT_EQ(b.State(), Run::Idle);
  RunRemoteInputs(b.prog, 0xF7);
  EXPECT_EQ(b.State(), Run::PreTest);
  EXPECT_EQ(b.prog.run.RemoteInputWord, 0xF7);

  // All four low: Equalize, Stop, Start, Pre-test, the last one's marks remain; the Stop
  // cancelled the equalisation armed first.
  RemoteBench all;
  RunRemoteInputs(all.prog, 0xF0);
  EXPECT_EQ(all.State(), Run::PreTest);
  EXPECT_FALSE(all.prog.win.GetTimer(TimerId::tmrTimer1).Enabled);
}

TEST(RemoteInputs, PolledOnlyInHardwareModeWithPci) {
  RemoteBench b;
  b.prog.Row(row::RemoteInputs) = 1;
  b.prog.run.RemoteInputWord = 0;
  b.Poll();  // demo mode: the lines are not read
  EXPECT_EQ(b.prog.run.RemoteInputWord, 0);

  b.prog.daq.DemoMode = 0;
  b.prog.Row(row::InterfaceType) = 1;
  b.Poll();  // no board library: every line reads inactive
  EXPECT_EQ(b.prog.run.RemoteInputWord, daq::kRemoteInputsIdle);
  EXPECT_EQ(b.State(), Run::Idle);
}
