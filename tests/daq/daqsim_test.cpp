// The whole hardware path against the simulated driver: opening the boards, pulses played
// and recorded, trips, failures, the digital lines, and the drive limits as the simulated
// board receives them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#ifdef KRX8_DAQSIM_PATH

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/stop.h"
#include "app/startup.h"
#include "control/capture.h"
#include "daq/acquisition.h"
#include "daq/call_layer.h"
#include "daq/digital.h"
#include "daq/discovery.h"
#include "profile/recompute.h"
#include "support/daqsim_fixture.h"

using testing_support::Harness;
using ui::MenuId;
namespace row = profile::row;

namespace {

using testing_support::SimTest;

TEST_F(SimTest, StartUpOpensTheMasterAndRecordsAPulse) {
  std::string log = dir_ / "calls.log";
  Sim({{"DAQSIM_LOG", log.c_str()}});
  StartWith(1);
  EXPECT_EQ(Boxes("Install Error"), 0);
  EXPECT_EQ(Boxes("Error!"), 0);
  EXPECT_NE(p.daq.DemoMode, 1.0f);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuTestDemo));
  EXPECT_EQ(p.daq.MasterHandle, 1);
  EXPECT_EQ(Q("Pulses"), 1);  // the acquisition right after opening
  EXPECT_EQ(Q("Calls:daqAdcTransferBufData"), 1);
  EXPECT_EQ(Q("PortConfig"), 0x89);  // A and B out, C in
  EXPECT_EQ(Q("PortB"), 4);
  // The recompute after start-up sent the current sources and the drive level.
  EXPECT_EQ(Q("CurrentSources"), p.daq.CurrentSourceByte);
  EXPECT_EQ(Q("DriveLevel"), p.daq.LastSentWordLow);
  EXPECT_EQ(Q("ShortWords"), 0);
  EXPECT_FALSE(Q("Open", 1));
  std::ifstream in(log);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "daqSetDefaultErrorHandler(null) = 0");
  std::getline(in, first);
  EXPECT_EQ(first, "daqOpen(DaqBoard1K0) = 1");
}

TEST_F(SimTest, MissingBoardsFallBackToDemoMode) {
  Sim({{"DAQSIM_BOARDS", "0"}});
  h.Start();
  EXPECT_EQ(FirstBox("Install Error"),
            " Daq1000 installed, but not connected to computer or not turned on!");
  EXPECT_EQ(p.daq.DemoMode, 1.0f);

  // Sixteen channels with only the master: the second board's message, master kept.
  Harness two;
  other_ = &two.prog;
  two.prog.daq.DriverPath = KRX8_DAQSIM_PATH;
  Sim({{"DAQSIM_BOARDS", "DaqBoard1K0"}});
  profile::SetProfileDefaults(two.prog);
  two.prog.Row(row::ActiveChannelsCode) = 2;
  daq::HardwareStartup(two.prog);
  ASSERT_EQ(two.plat.CountBoxes("Install Error"), 1);
  EXPECT_EQ(two.plat.Boxes[0].Text,
            " Second Daq1000 installed, but not connected to computer or not turned on!");
  EXPECT_EQ(two.prog.daq.DemoMode, 1.0f);
  EXPECT_EQ(two.prog.daq.ActiveHandle, two.prog.daq.MasterHandle);
  EXPECT_EQ(Q("Pulses"), 0);

  // Once an acquisition has run, a failing open raises: the no-hardware message.
  Sim();
  two.prog.daq.DemoMode = 0;
  daq::HardwareStartup(two.prog);
  EXPECT_EQ(Q("Pulses", 1), 1);
  Change({{"DAQSIM_BOARDS", "DaqBoard1K0"}, {"DAQSIM_FAIL", "daqOpen:7"}});
  two.plat.Boxes.clear();
  daq::HardwareStartup(two.prog);
  ASSERT_EQ(two.plat.Boxes.size(), 1u);
  EXPECT_EQ(two.plat.Boxes[0].Text,
            " No hardware was detected. The Software has been put in the Demo Mode");
  EXPECT_EQ(two.prog.daq.DemoMode, 1.0f);
  daq::ReleaseDriver(two.prog);
  other_ = nullptr;
}

TEST_F(SimTest, SixteenChannelsRecordOnBothBoards) {
  Sim();
  StartWith(2);
  EXPECT_EQ(Boxes("Error!"), 0);
  EXPECT_EQ(p.daq.SixteenChannelFlag, 1);
  EXPECT_EQ(p.daq.SlaveHandle, 2);
  EXPECT_EQ(Q("Pulses", 1), 1);
  // The slave's scan list carried the gains of channels 9 to 16.
  p.daq.ScanGains[8] = 4;
  p.daq.ScanGains[0] = 0;
  daq::ComputeChannelScales(p);
  p.Row(row::ControlMode) = 1;
  p.run.ManualLevel = 1;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(Q("Gain0", 1), 4);
  EXPECT_EQ(Q("Gain0", 0), 0);
  EXPECT_EQ(p.daq.ScanGains[0], 0);
  EXPECT_EQ(Q("Pulses", 1), 2);
  // Both boards saw the same motion: the slave's record lines up with the master's.
  double peakM = 0, peakS = 0;
  for (int s = 0; s < 1024; ++s) {
    peakM = std::max(peakM, std::abs(p.daq.ScanBuffer[s * 8] / double(p.daq.ChannelScale[1])));
    peakS = std::max(peakS, std::abs(p.daq.SlaveScanBuffer[s * 8] / double(p.daq.ChannelScale[9])));
  }
  EXPECT_GT(peakM, 0.5);  // 0.25 V of drive
  EXPECT_NEAR(peakS, peakM, 0.1 * peakM);
  ExpectDriveWithinLimits();
}

TEST_F(SimTest, EqualizedRunReachesTheTestLevel) {
  Sim({{"DAQSIM_SHAKER_GAIN", "30"}});
  StartWith(1);
  h.Press(ui::ButtonId::cmdEqual);
  h.Advance(2500);
  EXPECT_EQ(p.control.SystemEqualized, 1.0f);
  int pulses = static_cast<int>(Q("Pulses"));
  EXPECT_GE(pulses, 20);
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(1000);
  EXPECT_GT(Q("Pulses"), pulses);
  EXPECT_EQ(p.control.TripCode, 0) << p.control.TripMessage;
  EXPECT_NEAR(p.control.ControlPeakG, p.plot.TestLevelG, 0.1 * p.plot.TestLevelG);
  EXPECT_EQ(Boxes("Error!"), 0);
  ExpectDriveWithinLimits();
}

TEST_F(SimTest, NoResponseTripsAndReleasesTheDrive) {
  Sim({{"DAQSIM_SHAKER_GAIN", "0"}});
  StartWith(1);
  p.control.SystemEqualized = 1;
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(1000);
  EXPECT_NE(p.control.TripCode, 0);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));
  EXPECT_GE(Boxes(" KRX-8 Error Message"), 1);
  EXPECT_EQ(Q("DriveLevel"), 0);  // Stop sent the zero word
  ExpectDriveWithinLimits();
}

TEST_F(SimTest, DriveStaysWithinLimitsWhateverTheSettings) {
  Sim({{"DAQSIM_SHAKER_GAIN", "0.01"}});
  StartWith(1);
  for (float maxVolts : {20.0f, 10.0f, 2.0f, 0.5f}) {
    p.Row(row::MaxDriveVolts) = maxVolts;
    for (float gain : {1.0f, 1e4f, 1e9f, -5.0f, NAN}) {
      p.Row(row::DriveGain) = gain;
      p.Row(row::ControlMode) = 0;
      p.run.LevelFactor = 1;
      p.plot.TestLevelG = 500;
      control::CaptureAndAnalyze(p);
      p.Row(row::ControlMode) = 1;
      p.run.ManualLevel = 1e6f;
      control::CaptureAndAnalyze(p);
      double limit = std::min(4000.0, std::floor(maxVolts * 400.0));
      EXPECT_LE(Q("DriveLevel"), limit) << maxVolts << " V, gain " << gain;
    }
    // A garbage word asked of the lines directly is held too.
    p.daq.SerialWordLow = 0x7FFFFFFF;
    p.daq.SerialWordHigh = -1;
    daq::SendSerialWord(p);
    EXPECT_LE(Q("DriveLevel"), std::min(4000.0, std::floor(maxVolts * 400.0)));
    EXPECT_EQ(Q("HighField"), 0);
    h.Press(ui::ButtonId::cmdEqual);  // equalise at the extremes
    h.Advance(3000);
    control::StopTest(p, run::AbortedBy(run::Source::Operator));
  }
  p.wave.DriveCodes.fill(0);
  p.control.SystemEqualized = 0;
  control::CaptureAndAnalyze(p);
  p.wave.DriveCodes.fill(999);
  control::CaptureAndAnalyze(p);
  EXPECT_GT(Q("Pulses"), 20);
  ExpectDriveWithinLimits(20);
}

TEST_F(SimTest, LibraryFailuresAreReportedAndHardwareModeStays) {
  Sim({{"DAQSIM_FAIL", "daqAdcArm:5@1"}});
  StartWith(1);
  // The arm's failure, and nothing fired after it; what was armed is disarmed again.
  ASSERT_EQ(Boxes("Error!"), 1);
  EXPECT_EQ(FirstBox("Error!"), "DaqX Error : 5\nHardware failure (simulated)");
  EXPECT_NE(p.daq.DemoMode, 1.0f);
  EXPECT_EQ(Q("Pulses"), 0);
  EXPECT_EQ(Q("Calls:daqAdcTransferGetStat"), 0);
  EXPECT_FALSE(Q("DacPlaying"));

  // A failing line write after the first acquisition raises into the caller: the event
  // ends with a box, not a crash.
  Change({{"DAQSIM_FAIL", "daqIOWrite:3"}});
  h.plat.Boxes.clear();
  EXPECT_TRUE(h.Click(MenuId::mnuInputsCurrent, 2));
  EXPECT_EQ(h.plat.Boxes.size(), 1u);
}

TEST_F(SimTest, BoardsThatNeverFinishOrDeliverGarbageDoNotHang) {
  Sim({{"DAQSIM_HANG", "1"}});
  p.daq.PollTimeoutMs = 30;
  StartWith(1);
  ASSERT_EQ(Boxes("Error!"), 1);
  EXPECT_EQ(FirstBox("Error!"), "VB Error : 24\nDevice timeout");
  EXPECT_FALSE(Q("DacPlaying"));
  EXPECT_FALSE(Q("AdcArmed"));

  Change({{"DAQSIM_BUFDATA_COUNT", "1000000"}});
  p.Row(row::ControlMode) = 1;
  p.run.ManualLevel = 1;
  control::CaptureAndAnalyze(p);
  Change({{"DAQSIM_BUFDATA_COUNT", "10"}});
  control::CaptureAndAnalyze(p);
  for (int i = 10 * 8; i < 8192; ++i) ASSERT_EQ(p.daq.ScanBuffer[i], 0) << i;
  EXPECT_EQ(Boxes("Error!"), 1);
}

TEST_F(SimTest, TransientCaptureStartsOnTheLevelOrTimesOut) {
  Sim({{"DAQSIM_NOISE", "0"}});
  p.daq.PollTimeoutMs = 30;
  StartWith(1);
  p.Row(row::ControlMode) = 2;
  p.run.DrivePeakCounts = 1000;
  p.daq.TriggerLevel = 1;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(Boxes("Error!"), 0);
  EXPECT_EQ(Q("Calls:daqAdcSoftTrig"), 1);  // only the start-up's
  // The record starts where channel 1 crosses the level (compared after the channel's
  // gain): it is the software-started record from that scan on.
  std::vector<double> triggered(1024);
  for (int s = 0; s < 1024; ++s) triggered[s] = p.daq.ScanBuffer[s * 8];
  p.Row(row::ControlMode) = 1;
  p.run.ManualLevel = 10;  // the same 1000 counts
  control::CaptureAndAnalyze(p);
  double perVolt = p.Row(profile::kSensitivityRow[0]) * 0.001 * (1 << p.daq.ScanGains[0]);
  double levelCounts = p.daq.TriggerLevelVolts / perVolt * p.daq.ChannelScale[1];
  int k = 0;
  while (k < 1024 && p.daq.ScanBuffer[k * 8] < levelCounts) ++k;
  ASSERT_GT(k, 0);
  ASSERT_LT(k, 900);
  for (int s = 0; s < 100; ++s) ASSERT_EQ(triggered[s], p.daq.ScanBuffer[(s + k) * 8]) << s;
  p.Row(row::ControlMode) = 2;

  p.daq.TriggerLevel = 1e6f;  // never reached
  control::CaptureAndAnalyze(p);
  ASSERT_EQ(Boxes("Error!"), 1);
  EXPECT_EQ(h.plat.Boxes.back().Text, "VB Error : 24\nDevice timeout");
}

TEST_F(SimTest, RemoteInputsAndExitLines) {
  Sim({{"DAQSIM_PORTC", "0x0B,0x0F"}});
  StartWith(2);
  EXPECT_EQ(daq::ReadRemoteInputs(p), 0x0B);
  EXPECT_EQ(daq::ReadRemoteInputs(p), 0x0F);
  EXPECT_EQ(daq::ReadRemoteInputs(p), 0x0F);

  // Current sources: channel 1 and 8 of the master.
  for (int ch = 0; ch < 16; ++ch) p.Row(profile::kCurrentSourceRow[ch]) = 1;
  p.Row(profile::kCurrentSourceRow[0]) = 2;
  p.Row(profile::kCurrentSourceRow[7]) = 2;
  p.Row(profile::kCurrentSourceRow[8]) = 2;
  profile::RecomputeProfile(p);
  EXPECT_EQ(Q("CurrentSources", 0), 129);
  EXPECT_EQ(Q("CurrentSources", 1), 1);

  h.Send(app::Event::Of(app::EventKind::Unload));
  EXPECT_EQ(Q("CurrentSources", 0), 0);
  EXPECT_EQ(Q("PortB", 0), 12);
  EXPECT_EQ(Q("CurrentSources", 1), 0);
  EXPECT_EQ(Q("PortB", 1), 11);
  EXPECT_EQ(p.daq.LastPort1Handle, p.daq.SlaveHandle);
  EXPECT_EQ(p.daq.Port1Writes, 2);
  EXPECT_EQ(Q("DriveLevel", 0), 0);
}

TEST_F(SimTest, FileExitLeavesTheSlaveAlone) {
  Sim();
  StartWith(2);
  h.plat.Answers.push_back(ui::Answer::Yes);
  app::ExitCommand(p);
  EXPECT_EQ(Q("PortB", 0), 12);
  EXPECT_EQ(Q("PortB", 1), 4);  // as the last arming left it
  EXPECT_EQ(p.daq.Port1Writes, 1);
  EXPECT_EQ(p.daq.LastPort1Handle, p.daq.MasterHandle);
}

}  // namespace

#endif
