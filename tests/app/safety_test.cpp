// Abort is never locked out, pulses keep their period, and a transient capture waits
// without freezing: in virtual time over the simulated board, whose acquisitions take
// 800 ms as 1024 scans at 1.28 kHz do.
#include <gtest/gtest.h>

#include "support/daqsim_fixture.h"

#ifdef KRX8_DAQSIM_PATH

#include <fstream>

#include "app/startup.h"
#include "control/equalize.h"
#include "sequencer/sequencer.h"

using app::Event;
using testing_support::SimTest;
using ui::ButtonId;
using ui::MenuId;
namespace row = profile::row;

namespace {

// 80 polls, 10 ms apart, before an acquisition ends.
constexpr const char* kPolls = "80";
constexpr double kPassMs = 800;
constexpr double kDelayMs = 2000;  // settling mode 1

class SafetyTest : public SimTest {
 protected:
  void StartSlow() {
    Sim({{"DAQSIM_BUSY_POLLS", kPolls}});
    StartWith(1);
  }
  std::string Status() const { return p.win.Lbl(ui::LabelId::lblStatus).Caption; }
  run::Run State() const { return control::RunStateOf(p); }
  // Nothing plays, nothing is armed and the drive level is 0 on every board.
  void ExpectReleased() const {
    for (int b = 0; b < 2; ++b) {
      EXPECT_FALSE(Q("DacPlaying", b)) << b;
      EXPECT_FALSE(Q("AdcArmed", b)) << b;
      EXPECT_EQ(Q("DriveLevel", b), 0) << b;
    }
  }
};

enum class Source { Menu, Key, Image, RemoteLine, ControlFile };

class AbortFrom : public SafetyTest, public ::testing::WithParamInterface<Source> {};

// Abort in the middle of pass 5 of 20, from each source: no sixth pulse, the drive is
// released and the boards disarmed, and no verdict comes of the cut-short passes.
TEST_P(AbortFrom, EqualisationStopsInPassFive) {
  StartSlow();
  const Source source = GetParam();
  if (source == Source::RemoteLine) h.Click(MenuId::mnuInputsRemote);
  if (source == Source::ControlFile) h.Click(MenuId::mnuInputsDllControl);
  const double t0 = h.plat.NowMs;
  // In pass 5, 140 ms after a housekeeping tick: the next one is too late for 100 ms.
  const double abortAt = t0 + kDelayMs + 4 * kPassMs + kPassMs / 2 + 140;
  switch (source) {
    case Source::Menu:
      h.At(abortAt, Event::MenuClick(MenuId::mnuRunAbort));
      break;
    case Source::Key:
      h.At(abortAt, Event::KeyPress('a'));
      break;
    case Source::Image: {
      Event e = Event::Of(app::EventKind::ImageClick);
      e.Image = ui::ImageId::Image3;
      h.At(abortAt, e);
      break;
    }
    case Source::RemoteLine:
      h.AtDo(abortAt, [&] { Change({{"DAQSIM_BUSY_POLLS", kPolls}, {"DAQSIM_PORTC", "0xFD"}}); });
      break;
    case Source::ControlFile:
      h.AtDo(abortAt, [] { std::ofstream("KRXControl.dat") << "2,\"\",0\r\n"; });
      break;
  }
  h.Press(ButtonId::cmdEqual);
  // Within 100 ms of the Abort the passes have ended (a handler still running would have
  // carried the clock past this) and everything is released.
  h.Advance(abortAt + 100 - t0);
  EXPECT_LE(h.plat.NowMs, abortAt + 100);
  EXPECT_EQ(State(), run::Run::Idle);
  ExpectReleased();
  h.Advance(20 * kPassMs + 5000);
  EXPECT_EQ(Q("Pulses"), 1 + 5);  // the start-up's and five passes
  EXPECT_EQ(p.control.SystemEqualized, 0.0f);
  EXPECT_EQ(Status(), control::kEqualizationStoppedText);
  EXPECT_EQ(State(), run::Run::Idle);
  ExpectReleased();
  EXPECT_EQ(Boxes("Error!"), 0);
  EXPECT_FALSE(p.run.Busy);
}

INSTANTIATE_TEST_SUITE_P(EverySource, AbortFrom,
                         ::testing::Values(Source::Menu, Source::Key, Source::Image,
                                           Source::RemoteLine, Source::ControlFile));

// Equalize, then Abort in the settling delay: the delay is cancelled and no pulse plays.
TEST_F(SafetyTest, AbortInTheSettlingDelayPlaysNoPulse) {
  StartSlow();
  h.Press(ButtonId::cmdEqual);
  h.Advance(500);
  h.Click(MenuId::mnuRunAbort);
  h.Advance(kDelayMs + 20 * kPassMs);
  EXPECT_EQ(Q("Pulses"), 1);  // the start-up's only
  EXPECT_EQ(Status(), control::kEqualizationStoppedText);
  ExpectReleased();
}

// The keys that work at once, "E" (the passes) and "P" (one pre-test pulse), are stopped
// the same way; other commands are refused while they run.
TEST_F(SafetyTest, KeysEAndPStopOnAbort) {
  StartSlow();
  double t = h.plat.NowMs;
  h.At(t + 4 * kPassMs + kPassMs / 2, Event::MenuClick(MenuId::mnuRunAbort));
  h.At(t + 100, Event::ButtonClick(ButtonId::cmdStart));  // refused: the passes run
  h.Key('E');
  EXPECT_EQ(Q("Pulses"), 1 + 5);
  EXPECT_EQ(p.control.SystemEqualized, 0.0f);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));

  p.control.SystemEqualized = 1;
  const float gain = p.Row(row::DriveGain);
  t = h.plat.NowMs;
  h.At(t + kPassMs / 2, Event::KeyPress('A'));
  h.Key('P');
  EXPECT_EQ(Q("Pulses"), 1 + 5 + 1);
  EXPECT_EQ(p.run.PulseCount, 0);
  EXPECT_EQ(p.Row(row::DriveGain), gain);
  ExpectReleased();
  EXPECT_EQ(Boxes("Error!"), 0);
}

// The period runs from the tick that writes it, not from the end of the pulse: a 1 s
// period fires every 1000 ms although each pulse takes 800 ms; a period shorter than a
// pulse gives back-to-back pulses, never overlapping ones.
TEST_F(SafetyTest, PulsesKeepTheirPeriod) {
  StartSlow();
  p.Row(row::ControlMode) = 1;
  p.Row(row::RepetitionMode) = 2;
  p.win.CheckOnly(MenuId::mnuShockRepRep, MenuId::mnuShockRepSingle, MenuId::mnuShockRepRep);
  p.Row(row::TotalPulses) = 5;
  for (float period : {1.0f, 0.5f}) {
    h.Fired[1].clear();
    const double pulses = Q("Pulses");
    h.Press(ButtonId::cmdStart);
    h.Advance(10000);
    EXPECT_EQ(Q("Pulses"), pulses + 5) << period;
    ASSERT_GE(h.Fired[1].size(), 5u);
    for (int i = 1; i < 5; ++i) {
      double gap = h.Fired[1][i] - h.Fired[1][i - 1];
      if (period == 1.0f) {
        EXPECT_EQ(gap, 1000) << i;
      } else {
        EXPECT_GE(gap, kPassMs) << i;
        EXPECT_LE(gap, kPassMs + 20) << i;
      }
    }
    p.Row(row::RepetitionRate) = 0.5f;
  }
}

// A transient Start arms and returns: the window stays live for a minute of waiting, and
// only the event really recorded ends the run with " TRIGGERED " and its print. Abort
// disarms a waiting capture.
TEST_F(SafetyTest, TransientCaptureWaitsForItsEvent) {
  Sim({{"DAQSIM_SHAKER_GAIN", "0"}, {"DAQSIM_NOISE", "0"}});
  StartWith(1);
  p.Row(row::ControlMode) = 2;
  p.win.Check(MenuId::mnuTestAutoPrint, true);
  h.Press(ButtonId::cmdStart);
  h.Advance(60000);
  EXPECT_EQ(Status(), " TRIGGER ARMED ");
  EXPECT_EQ(State(), run::Run::FullLevel);
  EXPECT_TRUE(Q("AdcArmed"));
  EXPECT_GT(h.Fired[2].size(), 5000u);  // the housekeeping tick, every 10 ms
  EXPECT_TRUE(h.Click(MenuId::mnuHelpAboutSoftware));
  EXPECT_EQ(h.plat.Paper.Docs, 0);

  Change({{"DAQSIM_SHAKER_GAIN", "32"}, {"DAQSIM_NOISE", "0"}});  // the shock comes
  h.Advance(50);
  EXPECT_EQ(Status(), " TRIGGERED ");
  EXPECT_EQ(State(), run::Run::Idle);
  EXPECT_EQ(h.plat.Paper.Docs, 1);
  EXPECT_GT(p.control.ControlPeakG, 1.0f);
  EXPECT_FALSE(Q("AdcArmed"));
  EXPECT_FALSE(Q("DacPlaying"));

  Change({{"DAQSIM_SHAKER_GAIN", "0"}, {"DAQSIM_NOISE", "0"}});
  h.Press(ButtonId::cmdStart);
  h.Advance(5000);
  EXPECT_TRUE(Q("AdcArmed"));
  h.Click(MenuId::mnuRunAbort);
  EXPECT_NE(Status(), " TRIGGER ARMED ");
  ExpectReleased();
  Change({{"DAQSIM_SHAKER_GAIN", "32"}, {"DAQSIM_NOISE", "0"}});
  h.Advance(5000);
  EXPECT_EQ(State(), run::Run::Idle);
  EXPECT_EQ(h.plat.Paper.Docs, 1);
  EXPECT_EQ(Boxes("Error!"), 0);
}

}  // namespace

#endif
