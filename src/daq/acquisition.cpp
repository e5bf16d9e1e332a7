#include "daq/acquisition.h"

#include <cmath>

#include "daq/call_layer.h"
#include "profile/record.h"

namespace daq {

namespace {

constexpr double kCountsPerMv = 13.108;  // at gain code 0; each code doubles it

constexpr RoutinePrefixes kArmPrefixes{"VB Error : ", "DaqX Error : "};
constexpr RoutinePrefixes kFirePrefixes{"VB Error : ", "DaqX Error: "};
constexpr RoutinePrefixes kFirePairPrefixes{"VB Error: ", "DaqX Error : "};

bool Demo(const Program& p) {
  return p.daq.DemoMode == 1.0f;
}

// The scan rate that matches the record's sampling code, so that the time axis of the
// recorded samples is the one the reference pulse was synthesised on.
int32_t AdcRateOf(const Program& p) {
  float code = p.Row(profile::row::SampleRateCode);
  if (code == 1) return 1280;
  if (code == 2) return 2560;
  if (code == 4) return 10240;
  return 5120;
}

}  // namespace

void InitAcquisition(Program& p) {
  auto& d = p.daq;
  p.Row(profile::row::PretestLevelDb) = 5.0f;
  d.DacRate = 5120;
  d.DacUpdateCount = kDacUpdateCount;
  d.ScanStride = kScanStride;
  d.ScanCount = kScanCount;
  d.AdcRate = AdcRateOf(p);
  d.BoardOptionValue0 = 0.0f;
  d.BoardOptionValue1 = 3.0f;
  d.SerialWordLow = 0;
  d.SerialWordHigh = 0;
  d.MasterXferBuffer.fill(0);
  d.SlaveXferBuffer.fill(0);
  d.DacBuffer0.fill(32767);
  d.DacBuffer1.fill(0);
  d.ScanGains.fill(0);
  d.ScanChannels.fill(0);
  d.ScanFlags.fill(0);
  d.ChannelScale.fill(0);
  for (int e = 0; e <= kScanStride; ++e) {
    d.ScanGains[e] = 2;
    d.ScanFlags[e] = 6;
    d.ScanChannels[e] = e;
    d.ChannelScale[e] = 1000;
  }
}

int GainCodeFor(double x) {
  if (x >= 1000) return 0;
  if (x >= 500) return 1;
  if (x >= 250) return 2;
  if (x >= 125) return 3;
  return 4;
}

void SelectInputGains(Program& p) {
  auto& d = p.daq;
  for (int k = 0; k < kChannels; ++k) d.SensitivityCopy[k] = p.Row(profile::kSensitivityRow[k]);
  for (int k = 0; k < kChannels; ++k) {
    float x = d.GainPeakG * d.SensitivityCopy[k];  // expected peak in mV
    d.ScanGains[k] = GainCodeFor(x);
  }
}

void ComputeChannelScales(Program& p) {
  auto& d = p.daq;
  for (int k = 0; k < kChannels; ++k) {
    double sens = p.Row(profile::kSensitivityRow[k]);
    d.ChannelScale[k + 1] =
        static_cast<float>(std::ldexp(1.0, d.ScanGains[k]) * kCountsPerMv * sens);
  }
}

// The bodies start with their first library call; the rest of each sequence comes with
// the binding of the driver library.
void ArmMaster(Program& p) {
  if (Demo(p)) return;
  RunAcquisitionRoutine(p, kArmPrefixes, [&] { RequireLibrary(p); });
}

void ArmSlave(Program& p) {
  if (Demo(p)) return;
  RunAcquisitionRoutine(p, kArmPrefixes, [&] { RequireLibrary(p); });
}

void FireAndCollect(Program& p) {
  if (Demo(p)) return;
  RunAcquisitionRoutine(p, kFirePrefixes, [&] { RequireLibrary(p); });
}

void FireAndCollectPair(Program& p) {
  if (Demo(p)) return;
  RunAcquisitionRoutine(p, kFirePairPrefixes, [&] { RequireLibrary(p); });
}

void ArmSlaveAndFirePair(Program& p) {
  auto& d = p.daq;
  d.ActiveHandle = d.SlaveHandle;
  std::array<int32_t, kScanStride> saved{};
  for (int e = 0; e < kScanStride; ++e) {
    saved[e] = d.ScanGains[e];
    d.ScanGains[e] = d.ScanGains[e + kScanStride];
  }
  ArmSlave(p);
  FireAndCollectPair(p);
  d.ActiveHandle = d.MasterHandle;
  for (int e = 0; e < kScanStride; ++e) d.ScanGains[e] = saved[e];
}

void AcquirePulse(Program& p) {
  p.daq.ActiveHandle = p.daq.MasterHandle;
  ArmMaster(p);
  if (p.daq.SixteenChannelFlag == 1)
    ArmSlaveAndFirePair(p);
  else
    FireAndCollect(p);
}

}  // namespace daq
