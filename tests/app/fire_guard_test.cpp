// What is fired is what the screen shows: a profile open that fails changes nothing, a pulse
// beyond the shaker's limits is never output, and the panel starts from zeroed memory.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "control/fire_limits.h"
#include "profile/kinematics.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "sequencer/sequencer.h"
#include "support/daqsim_fixture.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

using testing_support::Harness;
using testing_support::TempDir;
using testing_support::WriteFile;
using ui::ButtonId;
using ui::LabelId;
using ui::MenuId;
namespace row = profile::row;

namespace {

std::string Caption(const Program& p, LabelId id) {
  return p.win.Lbl(id).Caption;
}

// The sample profile with its lines replaced: `edits` maps a 1-based line to its new text.
std::string EditedSample(std::initializer_list<std::pair<int, std::string>> edits) {
  std::ifstream in(std::string(KRX8_SOURCE_DIR) + "/sample/KRXFileC.000", std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  std::string text = all.str(), out;
  int line = 1;
  for (size_t at = 0; at < text.size(); ++line) {
    size_t end = text.find("\r\n", at);
    std::string l = text.substr(at, end - at);
    for (const auto& e : edits)
      if (e.first == line) l = e.second;
    out += l + "\r\n";
    at = end + 2;
  }
  return out;
}

}  // namespace

TEST(FireGuard, AHalfReadProfileCancelledLeavesThePulseAsShown) {
  TempDir dir;
  testing_support::InDirectory here(dir.Path());
  Harness h;
  Program& p = h.prog;
  h.Start();
  const auto reference = p.wave.ReferencePulse;
  const auto drive = p.wave.DriveCodes;
  const std::string gref = Caption(p, LabelId::lblAref), level = Caption(p, LabelId::lblTestLevel);
  ASSERT_EQ(p.Row(row::PulseAmplitude), 15.0f);

  WriteFile("KRXFileC.001", EditedSample({{2, "30,0,0,0,0,0,\"\""}, {12, "xyz,0,0,0,0,0,\"\""}}));
  h.plat.Files = {"KRXFileC.001"};
  h.plat.Answers = {ui::Answer::Cancel};
  h.Click(MenuId::mnuFileOpenProfile);
  ASSERT_EQ(h.plat.CountBoxes("Error #  13 Occured"), 1);
  EXPECT_EQ(p.Row(row::PulseAmplitude), 15.0f);
  EXPECT_EQ(p.wave.ReferencePulse, reference);
  EXPECT_EQ(p.wave.DriveCodes, drive);
  EXPECT_EQ(Caption(p, LabelId::lblAref), gref);

  // The next pulse is the 15 G pulse the screen shows.
  h.Press(ButtonId::cmdEqual);
  h.Advance(3000);
  ASSERT_EQ(p.control.SystemEqualized, 1.0f);
  h.Press(ButtonId::cmdStart);
  h.Advance(1000);
  EXPECT_NEAR(p.control.ControlPeakG, 15.0f, 1.5f);
  EXPECT_EQ(p.plot.TestLevelG, 15.0f);
  EXPECT_EQ(Caption(p, LabelId::lblTestLevel), level);
  EXPECT_EQ(p.control.TripCode, 0) << p.control.TripMessage;
}

TEST(FireGuard, StartUpPanelReadsZeroedMemory) {
  TempDir dir;
  testing_support::InDirectory here(dir.Path());
  {
    Harness h;
    h.Start();  // no default profile: the built-in one, in demo mode
    EXPECT_EQ(h.prog.run.DrivePeakCounts, 0);
    EXPECT_EQ(Caption(h.prog, LabelId::lblComp), " DRIVE LEVEL= .0 %");
  }
  Harness made;
  profile::SetProfileDefaults(made.prog);
  made.prog.Row(row::UnitSystem) = 1;
  WriteFile("KRXFileC.000", profile::ProfileText(made.prog.profile.Record));
  Harness h;
  h.Start();
  EXPECT_EQ(Caption(h.prog, LabelId::lblAccBottom), " ACC. = . M/S^2 ");
}

TEST(FireGuard, EqualToALimitPassesAboveItDoesNot) {
  Harness h;
  Program& p = h.prog;
  profile::SetProfileDefaults(p);
  profile::SynthesizePulse(p);
  for (float units : {0.0f, 1.0f, 2.0f}) {
    p.Row(row::UnitSystem) = units;
    profile::ReferencePeaks t;
    ASSERT_TRUE(profile::PeaksInLimitUnits(units, profile::ReferencePeaksAt(p, 15), t));
    p.Row(row::LimitD) = t.D;
    p.Row(row::LimitV) = t.V;
    p.Row(row::LimitA) = t.A;
    const auto at = profile::ReferencePeaksAt(p, 15);
    EXPECT_EQ(profile::FirstExceededLimit(p, at), profile::ExceededLimit::None) << units;
    p.Row(row::LimitV) = std::nextafter(t.V, 0.0f);
    EXPECT_EQ(profile::FirstExceededLimit(p, at), profile::ExceededLimit::Velocity) << units;
  }
}

#ifdef KRX8_DAQSIM_PATH

namespace {

class LimitRefusal : public testing_support::SimTest {
 protected:
  // Limits far above the pulse but the one under test, which the pulse exceeds by 1 %.
  void Exceed(profile::ExceededLimit which) {
    profile::ReferencePeaks t;
    ASSERT_TRUE(profile::PeaksInLimitUnits(
        p.Row(row::UnitSystem), profile::ReferencePeaksAt(p, control::FiringLevelG(p)), t));
    p.Row(row::LimitD) = 1e6f;
    p.Row(row::LimitV) = 1e6f;
    p.Row(row::LimitA) = 1e6f;
    if (which == profile::ExceededLimit::Displacement) p.Row(row::LimitD) = t.D * 0.99f;
    if (which == profile::ExceededLimit::Velocity) p.Row(row::LimitV) = t.V * 0.99f;
    if (which == profile::ExceededLimit::Acceleration) p.Row(row::LimitA) = t.A * 0.99f;
  }
};

}  // namespace

// Full level, pre-test and equalisation in every unit system, each limit alone: nothing is
// fired, the run stops with "ABORTED" and one box names the limit.
TEST_F(LimitRefusal, NoPulseBeyondALimitInAnyUnitSystem) {
  Sim();
  StartWith(1);
  const char* names[] = {"", "System D Limit", "System V Limit", "System A Limit"};
  for (int units = 0; units < 3; ++units) {
    profile::SetUnitSystem(p, units);
    for (int w = 1; w <= 3; ++w) {
      for (ButtonId command : {ButtonId::cmdStart, ButtonId::cmdPreTest, ButtonId::cmdEqual}) {
        SCOPED_TRACE(testing::Message() << "units " << units << " limit " << w << " command "
                                        << static_cast<int>(command));
        p.control.TripCode = 0;
        p.control.SystemEqualized = 1;
        if (command == ButtonId::cmdEqual) p.run.LevelFactor = p.Row(row::EqualizeLevel) / 15;
        if (command == ButtonId::cmdPreTest) p.run.LevelFactor = 0.5f;
        if (command == ButtonId::cmdStart) p.run.LevelFactor = 1;
        Exceed(static_cast<profile::ExceededLimit>(w));
        h.plat.Boxes.clear();
        const double pulses = Q("Pulses");
        h.Press(command);
        h.Advance(3000);
        EXPECT_EQ(Q("Pulses"), pulses);
        EXPECT_EQ(Q("DriveLevel"), 0);
        EXPECT_EQ(control::RunStateOf(p), run::Run::Idle);
        EXPECT_EQ(Caption(p, LabelId::lblMode), "ABORTED");
        ASSERT_EQ(Boxes(" KRX-8 Error Message"), 1);
        EXPECT_NE(FirstBox(" KRX-8 Error Message").find(names[w]), std::string::npos);
      }
    }
  }
  ExpectDriveWithinLimits();
}

#endif
