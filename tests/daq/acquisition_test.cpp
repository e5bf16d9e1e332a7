#include "daq/acquisition.h"

#include <gtest/gtest.h>

#include "profile/recompute.h"
#include "support/test_platform.h"

using testing_support::Harness;

namespace {

class AcquisitionTest : public ::testing::Test {
 protected:
  void SetUp() override { profile::SetProfileDefaults(p); }
  Harness h;
  Program& p = h.prog;
};

TEST_F(AcquisitionTest, InitSetsDefaultsAndClearsTables) {
  p.daq.MasterXferBuffer.fill(5);
  p.daq.DacBuffer1.fill(5);
  p.daq.ScanGains.fill(7);
  p.daq.ChannelScale.fill(3);
  p.Row(profile::row::PretestLevelDb) = 12;
  daq::InitAcquisition(p);
  auto& d = p.daq;
  EXPECT_EQ(p.Row(profile::row::PretestLevelDb), 5.0f);
  EXPECT_EQ(d.ScanStride, 8);
  EXPECT_EQ(d.ScanCount, 1024);
  EXPECT_EQ(d.DacUpdateCount, 1120);
  EXPECT_EQ(d.DacRate, 5120.0f);
  EXPECT_EQ(d.AdcRate, 5120);  // the default 512 Hz sampling code
  EXPECT_EQ(d.BoardOptionValue1, 3.0f);
  for (int16_t v : d.MasterXferBuffer) ASSERT_EQ(v, 0);
  for (int16_t v : d.DacBuffer0) ASSERT_EQ(v, 32767);
  for (int16_t v : d.DacBuffer1) ASSERT_EQ(v, 0);
  for (int e = 0; e <= 8; ++e) {
    EXPECT_EQ(d.ScanGains[e], 2);
    EXPECT_EQ(d.ScanFlags[e], 6);
    EXPECT_EQ(d.ScanChannels[e], e);
    EXPECT_EQ(d.ChannelScale[e], 1000.0f);
  }
  for (int e = 9; e <= 16; ++e) {
    EXPECT_EQ(d.ScanGains[e], 0);
    EXPECT_EQ(d.ChannelScale[e], 0.0f);
  }
  // The scan rate follows the record's sampling code.
  p.Row(profile::row::SampleRateCode) = 4;
  daq::InitAcquisition(p);
  EXPECT_EQ(d.AdcRate, 10240);
}

TEST_F(AcquisitionTest, GainCodesAndScales) {
  daq::InitAcquisition(p);
  p.daq.GainPeakG = 15;
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
  EXPECT_EQ(p.daq.ScanGains[0], 3);  // 150 mV
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[1], 1048.64f);
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[16], 1048.64f);

  // Exact thresholds select the lower code.
  p.daq.GainPeakG = 1;
  const float sens[] = {1000, 500, 250, 125, 124.9f, 999.9f, 2000, 5};
  for (int k = 0; k < 8; ++k) p.Row(profile::kSensitivityRow[k]) = sens[k];
  daq::SelectInputGains(p);
  const int want[] = {0, 1, 2, 3, 4, 1, 0, 4};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(p.daq.ScanGains[k], want[k]) << "channel " << k + 1;
  EXPECT_EQ(p.daq.SensitivityCopy[4], 124.9f);
  daq::ComputeChannelScales(p);
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[5], 16 * 13.108f * 124.9f);
  EXPECT_FLOAT_EQ(p.daq.ChannelScale[1], 13108.0f);
}

// A profile stepped to a higher level (opened, or by a procedure) widens the input range with
// it: the control channel would otherwise clip below the level.
TEST_F(AcquisitionTest, TheInputRangeFollowsARecomputedProfile) {
  daq::InitAcquisition(p);  // as the start-up leaves them for 15 G: 31 G full scale
  p.daq.GainPeakG = 15;
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
  p.Row(profile::row::PulseAmplitude) = 50;
  profile::RecomputeProfile(p);
  EXPECT_GT(32767 / p.daq.ChannelScale[1], 1.2 * 50);
}

TEST_F(AcquisitionTest, SixteenChannelPulseRestoresMasterGains) {
  daq::InitAcquisition(p);
  for (int k = 0; k < 16; ++k) p.daq.ScanGains[k] = k < 8 ? 1 : 4;
  p.daq.SixteenChannelFlag = 1;
  p.daq.MasterHandle = 3;
  p.daq.SlaveHandle = 4;
  // Without the library the master's arm fails with its box and nothing follows it.
  EXPECT_FALSE(daq::AcquirePulse(p));
  EXPECT_EQ(h.plat.Boxes.size(), 1u);
  // The slave's own failure gives the master's gains and handle back all the same.
  EXPECT_FALSE(daq::ArmSlaveAndFirePair(p));
  for (int k = 0; k < 16; ++k) EXPECT_EQ(p.daq.ScanGains[k], k < 8 ? 1 : 4);
  EXPECT_EQ(p.daq.ActiveHandle, 3);
  EXPECT_EQ(p.daq.DaqRaiseNumber, 100);
  ASSERT_EQ(h.plat.Boxes.size(), 2u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "VB Error : 48\nError in loading DLL");
  for (const auto& b : h.plat.Boxes) {
    EXPECT_EQ(b.Title, "Error!");
    EXPECT_EQ(b.ButtonSet, ui::Buttons::OK);
  }
}

TEST_F(AcquisitionTest, DemoModeRoutinesDoNothing) {
  p.daq.DemoMode = 1.0f;
  daq::AcquirePulse(p);
  p.daq.SixteenChannelFlag = 1;
  daq::AcquirePulse(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  EXPECT_EQ(p.daq.DaqRaiseNumber, 0);
}

}  // namespace
