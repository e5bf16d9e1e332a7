#include "control/capture.h"

#include <gtest/gtest.h>

#include "daq/acquisition.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using profile::row::ControlMode;
using profile::row::DriveGain;
using profile::row::InterfaceType;
using profile::row::MaxDriveVolts;
using testing_support::Harness;
using ui::MenuId;

namespace {

// Defaults, sensitivities of 10 mV/G at 15 G (channel 1 scale 1048.64), a half-sine-like
// reference with its peak of 80 at sample 100.
class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile::SetProfileDefaults(p);
    p.daq.GainPeakG = 15;
    daq::InitAcquisition(p);
    daq::SelectInputGains(p);
    daq::ComputeChannelScales(p);
    for (int i = 0; i < 200; ++i)
      p.wave.ReferencePulse[i] = 80.0f * (1 - (i - 100) * (i - 100) / 1e4f);
    p.wave.DriveCodes.fill(128);
    p.wave.DriveSynthesized = true;
  }
  void Demo() { p.daq.DemoMode = 1.0f; }
  Harness h;
  Program& p = h.prog;
};

TEST_F(CaptureTest, DemoPeakFollowsReferenceWithBoundedNoise) {
  Demo();
  p.daq.SlaveScanBuffer.fill(77);
  for (int n = 1; n <= 20; ++n) {
    control::CaptureAndAnalyze(p);
    EXPECT_EQ(p.run.PulseCount, n);
    int peak = 0;
    for (int i = 0; i < 1024; ++i) {
      for (int c = 1; c < 8; ++c) ASSERT_EQ(p.daq.ScanBuffer[i * 8 + c], p.daq.ScanBuffer[i * 8]);
      peak = std::max(peak, std::abs(static_cast<int>(p.daq.ScanBuffer[i * 8])));
    }
    EXPECT_GE(peak, 3195);
    EXPECT_LE(peak, 3205);
    EXPECT_NEAR(p.control.ControlPeakG, peak / 1048.64f, 1e-3);
    // Far from the pulse only the noise is left.
    EXPECT_LE(std::abs(p.daq.ScanBuffer[600 * 8]), 5);
  }
  for (int16_t v : p.daq.SlaveScanBuffer) ASSERT_EQ(v, 77);
  EXPECT_EQ(p.daq.SerialWordsSent, 0);  // demo mode touches no line
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(CaptureTest, DemoSeededNoiseRepeatsAndIgnoresManualLevel) {
  Demo();
  p.Row(ControlMode) = 1;
  p.run.ManualLevel = 7;
  h.plat.Seed(99);
  control::CaptureAndAnalyze(p);
  auto first = p.daq.ScanBuffer;
  h.plat.Seed(99);
  p.run.ManualLevel = 0.5f;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(first, p.daq.ScanBuffer);
  EXPECT_GE(std::abs(p.daq.ScanBuffer[800]), 3195);
}

TEST_F(CaptureTest, DemoSaturatesInsteadOfWrapping) {
  Demo();
  p.Row(DriveGain) = 1e6f;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.daq.ScanBuffer[100 * 8], 32767);
  EXPECT_GT(p.control.ControlPeakG, 31.0f);
  // A full-scale negative sample of the control channel is kept as -32767.
  p.Row(DriveGain) = -1e6f;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.daq.ScanBuffer[100 * 8], -32767);
  EXPECT_EQ(p.daq.ScanBuffer[100 * 8 + 1], -32768);
  EXPECT_NEAR(p.control.ControlPeakG, 32767 / 1048.64f, 1e-3);
}

TEST_F(CaptureTest, PeakFloorAndCalibrationFactor) {
  Demo();
  p.wave.ReferencePulse.fill(0);  // noise of at most 5 counts: far below 0.1 G
  control::CaptureAndAnalyze(p);
  EXPECT_FLOAT_EQ(p.control.ControlPeakG, 0.1f);

  p.wave.ReferencePulse[10] = 80;
  h.plat.Seed(5);
  control::CaptureAndAnalyze(p);
  float plain = p.control.ControlPeakG;
  p.files.CalFactors[33] = 1.1f;
  h.plat.Seed(5);
  control::CaptureAndAnalyze(p);
  EXPECT_NEAR(p.control.ControlPeakG, plain * 1.1f, 1e-3);

  // A sensitivity of 0 leaves no usable scale: read as no feedback, never inf or NaN.
  p.daq.ChannelScale[1] = 0;
  control::CaptureAndAnalyze(p);
  EXPECT_FLOAT_EQ(p.control.ControlPeakG, 0.1f);
}

TEST_F(CaptureTest, DriveAmplitudePerModeWithCaps) {
  Demo();
  p.Row(ControlMode) = 1;
  p.run.ManualLevel = 1;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 100);
  p.run.ManualLevel = 50;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 1600);  // 4 V maximum drive

  p.Row(ControlMode) = 0;
  p.run.LevelFactor = 1;
  p.plot.TestLevelG = 15;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 150);
  p.Row(MaxDriveVolts) = 20;
  p.Row(DriveGain) = 1e9f;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 4000);

  p.Row(ControlMode) = 2;  // transient keeps the last amplitude
  p.Row(DriveGain) = 1;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.run.DrivePeakCounts, 4000);
}

// Hardware mode with no driver library: the drive level is sent, then the arm fails with
// its one box. Nothing is fired after it, and the pulse is no response: not counted, not
// analysed, the buffers untouched; the drive is released again and the pulse is failed.
TEST_F(CaptureTest, HardwarePulseWhoseArmFailsIsNoResponse) {
  p.Row(ControlMode) = 1;
  p.run.ManualLevel = 2;
  p.daq.ScanBuffer.fill(5);
  p.daq.SlaveScanBuffer.fill(-9);
  p.control.ControlPeakG = 3;
  control::CaptureAndAnalyze(p);

  EXPECT_TRUE(p.control.PulseFailed);
  EXPECT_EQ(p.daq.SerialWordsSent, 2);  // the level, then the release
  EXPECT_EQ(p.daq.LastSentWordLow, 0);
  EXPECT_EQ(p.daq.ScanBuffer[40], 5);
  EXPECT_EQ(p.daq.SlaveScanBuffer[120], -9);
  EXPECT_FLOAT_EQ(p.control.ControlPeakG, 3);
  EXPECT_EQ(p.run.PulseCount, 0);
  ASSERT_EQ(h.plat.CountBoxes("Error!"), 1);
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error!");
  EXPECT_EQ(h.plat.Boxes[0].Text, "VB Error : 48\nError in loading DLL");

  // A drive that was not made from the current profile is never played.
  h.plat.Boxes.clear();
  p.wave.DriveSynthesized = false;
  control::CaptureAndAnalyze(p);
  EXPECT_TRUE(p.control.PulseFailed);
  ASSERT_EQ(h.plat.CountBoxes(control::kNoPulseTitle), 1);
  EXPECT_EQ(h.plat.Boxes.back().Text, control::kNoDriveMessage);
}

TEST_F(CaptureTest, DriveBuffersRebuiltWhenNotEqualisedOrCleared) {
  p.wave.DriveCodes[0] = 255;
  p.wave.DriveCodes[1] = 1;
  p.wave.DriveCodes[2] = 0;    // out of range: clipped to 1
  p.wave.DriveCodes[3] = 400;  // clipped to 255
  control::CaptureAndAnalyze(p);
  auto& d = p.daq;
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[0]), 65280);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[1]), 256);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[2]), 256);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[3]), 65280);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[4]), 32768);
  EXPECT_EQ(d.DacBuffer1[1023], 32767);
  for (int i = 1024; i <= 1120; ++i) {
    ASSERT_EQ(d.DacBuffer0[i], 32767);
    ASSERT_EQ(d.DacBuffer1[i], 0);
  }
  p.control.SystemEqualized = 1;
  p.wave.DriveCodes[0] = 128;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[0]), 65280);

  // A fresh set-up (a second board, a new address) clears the buffers while the system
  // stays equalised: the next pulse plays the drive again, not the resting level.
  p.wave.DriveCodes[0] = 255;
  daq::InitAcquisition(p);
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[0]), 65280);
  EXPECT_EQ(static_cast<uint16_t>(d.DacBuffer0[1]), 256);
  EXPECT_EQ(d.DacBuffer0[1120], 32767);
}

TEST_F(CaptureTest, OtherInterfaceMakesNoPulseAndStopsARun) {
  Demo();
  p.Row(InterfaceType) = 0;
  p.daq.ScanBuffer.fill(0);
  p.daq.ScanBuffer[8] = 900;
  control::CaptureAndAnalyze(p);
  EXPECT_EQ(p.control.ControlPeakG, 0.0f);
  EXPECT_EQ(p.run.PulseCount, 1);
  EXPECT_EQ(p.daq.ScanBuffer[0], 0);  // nothing simulated
  EXPECT_TRUE(h.plat.Boxes.empty());  // idle: nothing to stop

  p.win.Check(MenuId::mnuRunStart, true);
  control::CaptureAndAnalyze(p);
  EXPECT_FALSE(p.win.Checked(MenuId::mnuRunStart));
  control::CaptureAndAnalyze(p);  // later passes of the same run stay quiet
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text, control::kNoPulseMessage);
  EXPECT_EQ(h.plat.Boxes[0].Title, " KRX-8 Error Message");
  EXPECT_FALSE(control::PulseInterfaceReady(p));
  p.Row(InterfaceType) = 1;
  EXPECT_TRUE(control::PulseInterfaceReady(p));
}

}  // namespace
