#include "daq/acquisition.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "daq/call_layer.h"
#include "daq/digital.h"
#include "daq/wait.h"
#include "program/record.h"

namespace daq {

namespace {

constexpr double kCountsPerMv = 13.108;  // at gain code 0; each code doubles it
constexpr int kErrDeviceTimeout = 24;

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
  d.DriveBuffersLoaded = false;
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

namespace {

constexpr int32_t kDacDevice = 0;
constexpr int32_t kOptionRange = 16385, kOptionOutput = 16387;
constexpr int32_t kStartEvent = 0, kStopEvent = 1;
constexpr int32_t kSoftwareTrigger = 1, kLevelTrigger = 6, kScanCountStop = 10;

// The lengths handed to the library must fit the buffers it writes into or plays from.
void CheckBounds(const State& d) {
  bool ok = d.ScanStride == kScanStride && d.ScanCount > 0 && d.ScanCount <= kScanCount &&
            d.DacUpdateCount > 0 && d.DacUpdateCount <= kDacUpdateCount;
  if (!ok) throw common::RunError(common::kErrSubscript);
}

uint16_t* DacData(std::array<int16_t, kDacBufferSize>& b) {
  return reinterpret_cast<uint16_t*>(b.data());
}

// The drive output only ever plays codes 1..255 (256..65280 as 16-bit output codes); the
// resting value 32767 is inside that band.
void HoldDriveInBand(State& d) {
  for (auto& v : d.DacBuffer0) {
    auto u = static_cast<uint16_t>(v);
    if (u < 256) u = 256;
    if (u > 65280) u = 65280;
    v = static_cast<int16_t>(u);
  }
}

void ArmBoard(Program& p, bool slave) {
  auto& d = p.daq;
  CheckBounds(d);
  int32_t h = d.ActiveHandle;
  DaqSetOption(p, h, 0, 0, kOptionRange, d.BoardOptionValue0);
  DaqSetOption(p, h, 1, 0, kOptionRange, d.BoardOptionValue1);
  DaqSetOption(p, h, 1, 1, kOptionOutput, 1.0f);
  HoldDriveInBand(d);
  for (int32_t out = 0; out <= 1; ++out) {
    DaqDacSetOutputMode(p, h, kDacDevice, out, 1);
    DaqDacWaveSetTrig(p, h, kDacDevice, out, 1, 0);
    DaqDacWaveSetClockSource(p, h, kDacDevice, out, 2);
    DaqDacWaveSetFreq(p, h, kDacDevice, out, d.DacRate);
    DaqDacWaveSetMode(p, h, kDacDevice, out, 2, 0);
    DaqDacWaveSetBuffer(p, h, kDacDevice, out, DacData(out == 0 ? d.DacBuffer0 : d.DacBuffer1),
                        d.DacUpdateCount, out == 0 ? 1 : 3);
    DaqDacWaveSetUserWave(p, h, kDacDevice, out);
  }
  DaqDacTransferStart(p, h, kDacDevice, 0);
  DaqDacTransferStart(p, h, kDacDevice, 1);
  DaqDacWaveArm(p, h, kDacDevice);
  DaqIOGet8255Conf(p, h, 0, 0, 1, 1, d.PortConfig);
  DaqIOWrite(p, h, 1, kPortConfig, 0, 1, d.PortConfig);
  WritePort(p, kPortB, 4);
  SendSerialWord(p);
  DaqAdcSetAcq(p, h, 0, 0, d.ScanCount);
  DaqAdcSetScan(p, h, d.ScanChannels.data(), d.ScanGains.data(), d.ScanFlags.data(), d.ScanStride);
  DaqAdcSetClockSource(p, h, 0);
  DaqAdcTransferSetBuffer(p, h, slave ? d.SlaveXferBuffer.data() : d.MasterXferBuffer.data(),
                          d.ScanCount, 27);
  int32_t ch = d.ScanChannels[0], gain = d.ScanGains[0], flags = d.ScanFlags[0];
  if (!slave && p.Row(profile::row::ControlMode) == 2) {
    d.TriggerLevelVolts =
        static_cast<float>(d.TriggerLevel * 0.001 * p.Row(profile::kSensitivityRow[0]) * 4.0);
    d.TriggerHysteresis = 0.01f;
    DaqSetTriggerEvent(p, h, kLevelTrigger, 0, ch, gain, flags, 0, d.TriggerLevelVolts,
                       d.TriggerHysteresis, kStartEvent);
  } else {
    DaqSetTriggerEvent(p, h, kSoftwareTrigger, 0, ch, gain, flags, 0, 0.0f, 0.0f, kStartEvent);
  }
  DaqSetTriggerEvent(p, h, kScanCountStop, 0, ch, gain, flags, 0, 0.0f, 0.0f, kStopEvent);
  DaqAdcSetFreq(p, h, static_cast<float>(d.AdcRate));
  DaqAdcTransferStart(p, h);
  DaqAdcArm(p, h);
}

// Disarms the outputs and inputs of `handles` without raising; the code of the first
// failure, or 0.
int32_t DisarmQuietly(Program& p, std::initializer_list<int32_t> handles) {
  QuietCalls quiet(p.daq);
  int32_t failed = 0;
  for (int32_t h : handles) {
    int32_t rc = DaqDacWaveDisarm(p, h, kDacDevice);
    if (rc != 0 && failed == 0) failed = rc;
    rc = DaqAdcDisarm(p, h);
    if (rc != 0 && failed == 0) failed = rc;
  }
  return failed;
}

// Polls until the inputs have recorded their scans, letting the window run between polls
// (Abort ends the wait). The wait is bounded: a board that never finishes (a board that
// stopped answering) stops the outputs and ends the routine with a time-out.
void WaitForScans(Program& p, int32_t handle, std::initializer_list<int32_t> boards) {
  const double deadline = p.platform.MonotonicMs() + std::max(0, p.daq.PollTimeoutMs);
  for (;;) {
    int32_t active = 0, count = 0;
    DaqAdcTransferGetStat(p, handle, active, count);
    if ((active & 1) == 0) return;
    if (p.platform.MonotonicMs() >= deadline) {
      DisarmQuietly(p, boards);  // stops what the fire left running
      throw common::RunError(kErrDeviceTimeout, "Device timeout");
    }
    daq::WaitSlice(p, daq::kWaitSliceMs);
  }
}

// Takes the recorded scans; scans the board did not deliver read 0, never the samples of
// an earlier pulse.
void Collect(Program& p, int32_t handle, std::array<int16_t, kScanBufferSize>& buf) {
  auto& d = p.daq;
  int32_t got = 0;
  try {
    DaqAdcTransferBufData(p, handle, buf.data(), d.ScanCount, 1, got);
  } catch (...) {
    std::fill(buf.begin(), buf.end(), int16_t{0});
    throw;
  }
  if (d.DaqLastError != 0 || got < 0) got = 0;
  if (got > d.ScanCount) got = d.ScanCount;
  std::fill(buf.begin() + static_cast<size_t>(got) * kScanStride, buf.end(), int16_t{0});
}

}  // namespace

bool ArmMaster(Program& p) {
  if (Demo(p)) return true;
  return RunAcquisitionRoutine(p, kArmPrefixes, [&] { ArmBoard(p, false); });
}

bool ArmSlave(Program& p) {
  if (Demo(p)) return true;
  return RunAcquisitionRoutine(p, kArmPrefixes, [&] { ArmBoard(p, true); });
}

bool FireAndCollect(Program& p) {
  if (Demo(p)) return true;
  return RunAcquisitionRoutine(p, kFirePrefixes, [&] {
    auto& d = p.daq;
    // A pulse whose samples never arrive reads as no response, not as the pulse before:
    // old samples would feed the gain correction a second time.
    d.MasterXferBuffer.fill(0);
    CheckBounds(d);
    int32_t h = d.ActiveHandle;
    DaqDacWaveSoftTrig(p, h, kDacDevice, 0);
    if (p.Row(profile::row::ControlMode) < 2) DaqAdcSoftTrig(p, h);
    WaitForScans(p, h, {h});
    Collect(p, h, d.MasterXferBuffer);
    DaqDacWaveDisarm(p, h, kDacDevice);
    DaqAdcDisarm(p, h);
  });
}

bool FireAndCollectPair(Program& p) {
  if (Demo(p)) return true;
  return RunAcquisitionRoutine(p, kFirePairPrefixes, [&] {
    auto& d = p.daq;
    d.MasterXferBuffer.fill(0);
    d.SlaveXferBuffer.fill(0);
    CheckBounds(d);
    int32_t m = d.MasterHandle, s = d.SlaveHandle;
    DaqDacWaveSoftTrig(p, m, kDacDevice, 0);
    DaqAdcSoftTrig(p, m);
    DaqDacWaveSoftTrig(p, s, kDacDevice, 0);
    DaqAdcSoftTrig(p, s);
    WaitForScans(p, m, {m, s});
    Collect(p, m, d.MasterXferBuffer);
    Collect(p, s, d.SlaveXferBuffer);
    DaqDacWaveDisarm(p, m, kDacDevice);
    DaqAdcDisarm(p, m);
    DaqDacWaveDisarm(p, s, kDacDevice);
    DaqAdcDisarm(p, s);
  });
}

bool ArmSlaveAndFirePair(Program& p) {
  auto& d = p.daq;
  // The master's gain codes and handle come back however the pair ends (an Abort unwinds
  // through here).
  struct Restore {
    State& d;
    std::array<int32_t, kScanStride> saved{};
    ~Restore() {
      d.ActiveHandle = d.MasterHandle;
      for (int e = 0; e < kScanStride; ++e) d.ScanGains[e] = saved[e];
    }
  } restore{d};
  d.ActiveHandle = d.SlaveHandle;
  for (int e = 0; e < kScanStride; ++e) {
    restore.saved[e] = d.ScanGains[e];
    d.ScanGains[e] = d.ScanGains[e + kScanStride];
  }
  return ArmSlave(p) && FireAndCollectPair(p);
}

bool AcquirePulse(Program& p) {
  p.daq.TransientArmed = false;
  p.daq.ActiveHandle = p.daq.MasterHandle;
  if (!ArmMaster(p)) return false;
  if (p.daq.SixteenChannelFlag == 1) return ArmSlaveAndFirePair(p);
  return FireAndCollect(p);
}

bool ArmTransientCapture(Program& p) {
  auto& d = p.daq;
  d.TransientArmed = false;
  d.ActiveHandle = d.MasterHandle;
  if (!ArmMaster(p)) return false;
  bool fired = RunAcquisitionRoutine(p, kFirePrefixes, [&] {
    d.MasterXferBuffer.fill(0);
    CheckBounds(d);
    DaqDacWaveSoftTrig(p, d.ActiveHandle, kDacDevice, 0);
  });
  d.TransientArmed = fired;
  return fired;
}

TransientState PollTransientCapture(Program& p) {
  auto& d = p.daq;
  if (!d.TransientArmed) return TransientState::Failed;
  bool waiting = false;
  bool ok = RunAcquisitionRoutine(p, kFirePrefixes, [&] {
    int32_t h = d.MasterHandle;
    int32_t active = 0, count = 0;
    DaqAdcTransferGetStat(p, h, active, count);
    if ((active & 1) != 0) {
      waiting = true;
      return;
    }
    Collect(p, h, d.MasterXferBuffer);
    DaqDacWaveDisarm(p, h, kDacDevice);
    DaqAdcDisarm(p, h);
  });
  if (ok && waiting) return TransientState::Armed;
  d.TransientArmed = false;
  return ok ? TransientState::Recorded : TransientState::Failed;
}

void DisarmBoards(Program& p) {
  auto& d = p.daq;
  d.TransientArmed = false;
  if (d.MasterHandle < 0 && d.SlaveHandle < 0) return;
  if (!EnsureDriver(p)) return;
  // Every open board once: a slave handle equal to the master's is the same board.
  const int32_t m = d.MasterHandle, s = d.SlaveHandle;
  int32_t failed = m >= 0 ? DisarmQuietly(p, {m}) : 0;
  if (s >= 0 && s != m) {
    const int32_t rc = DisarmQuietly(p, {s});
    if (failed == 0) failed = rc;
  }
  if (failed != 0) ReportBoardFailure(p, failed);
}

}  // namespace daq
