#include "control/capture.h"

#include <cstdlib>
#include <utility>

#include "common/rounding.h"
#include "control/fire_limits.h"
#include "control/stop.h"
#include "control/waveform.h"
#include "daq/acquisition.h"
#include "profile/recompute.h"

namespace control {

namespace {

constexpr int kControlRecord = 1024;  // scans of the control channel searched for the peak

bool PciInterface(const Program& p) {
  return p.Row(profile::row::InterfaceType) == 1;
}

int StrideOf(const Program& p) {
  int s = p.daq.ScanStride;
  return s >= 1 && s <= daq::kScanStride ? s : daq::kScanStride;
}

void CopyCollectedSamples(Program& p) {
  auto& d = p.daq;
  int last = StrideOf(p) * (kControlRecord - 1);
  for (int i = 0; i <= last; ++i) d.ScanBuffer[i] = d.MasterXferBuffer[i];
  for (int i = daq::kSlaveShift; i <= last; ++i)
    d.SlaveScanBuffer[i] = d.SlaveXferBuffer[i - daq::kSlaveShift];
}

// Largest |count| of channel 1; a full-scale negative sample is kept as -32767 so that
// its magnitude fits the sample type wherever it is used later.
int32_t ControlChannelPeak(Program& p) {
  auto& buf = p.daq.ScanBuffer;
  int stride = StrideOf(p);
  int32_t peak = 0;
  for (int i = 0; i <= stride * (kControlRecord - 1); i += stride) {
    if (buf[i] == -32768) buf[i] = -32767;
    int32_t a = std::abs(static_cast<int32_t>(buf[i]));
    if (a > peak) peak = a;
  }
  return peak;
}

}  // namespace

void SimulateResponse(Program& p) {
  auto& buf = p.daq.ScanBuffer;
  const auto& ref = p.wave.ReferencePulse;
  float gain = p.Row(profile::row::DriveGain);
  float level = p.run.LevelFactor;
  for (int i = 0; i < kControlRecord; ++i) {
    float r = static_cast<float>(p.platform.Random());
    float s = 40.0f * level * ref[i] * gain + 10.0f * r - 5.0f;
    // Saturates instead of wrapping when a wild gain would overflow the sample.
    int16_t v = common::ToInt16(s);
    for (int c = 0; c < daq::kScanStride; ++c) buf[i * daq::kScanStride + c] = v;
  }
}

void BuildDriveBuffers(Program& p) {
  auto& d = p.daq;
  for (int i = 0; i < kControlRecord; ++i) {
    int32_t code = p.wave.DriveCodes[i];
    // The amplifier only ever sees codes 1..255.
    if (code < 1) code = 1;
    if (code > 255) code = 255;
    int32_t c = (code - 128) * 256 + 32768;
    d.DacBuffer0[i] = static_cast<int16_t>(c > 32767 ? c - 65536 : c);
    d.DacBuffer1[i] = 32767;
  }
  d.DriveBuffersLoaded = true;
}

bool PulseInterfaceReady(Program& p) {
  if (PciInterface(p)) return true;
  control::StopTest(p, run::BoardErrorOf(kNoPulseMessage + 1));
  p.platform.MessageBox(kNoPulseMessage, ui::Buttons::OK, ui::Icon::Exclamation, kNoPulseTitle);
  return false;
}

namespace {

// The board's error text goes with the stop it caused; a later failure cannot name it.
void FailPulse(Program& p) {
  p.control.PulseFailed = true;
  control::StopTest(p, run::BoardErrorOf(std::exchange(p.daq.LastBoardError, {})));
}

// A drive waveform that was not synthesised from the current profile (a recompute cut
// short) is never played.
bool DriveReady(Program& p) {
  if (p.wave.DriveSynthesized) return true;
  p.control.PulseFailed = true;
  control::StopTest(p, run::NoDrive());
  p.platform.MessageBox(kNoDriveMessage, ui::Buttons::OK, ui::Icon::Exclamation, kNoPulseTitle);
  return false;
}

// The drive buffers and the drive level of a hardware pulse; false when the level could
// not be sent (the board would play the level latched before).
bool PrepareDrive(Program& p) {
  // A fresh hardware set-up clears the buffers while the equalisation stands; the drive
  // codes are unchanged since then, so rebuilding restores the equalised drive.
  // A shaped drive has new codes and its own drive level for every pulse.
  if (ShapedDriveFires(p)) {
    BuildDriveBuffers(p);
    return profile::SendDriveAmplitude(p);
  }
  if (p.control.SystemEqualized == 0 || !p.daq.DriveBuffersLoaded) BuildDriveBuffers(p);
  profile::ComputeDrivePeak(p);
  return profile::SendDriveAmplitude(p);
}

void AnalyzeRecord(Program& p, bool pci) {
  p.control.ControlPeakG = 0;
  p.accept.Judged = false;  // a verdict belongs to the pulse it was made on
  int32_t peak = ControlChannelPeak(p);
  ++p.run.PulseCount;
  int32_t peakCounts = common::ToInt32(static_cast<float>(peak) * p.files.CalFactors[33]);
  if (!pci) {
    // No pulse was made; a run cannot go on from a peak of 0.
    if (control::RunStateOf(p) != run::Run::Idle) PulseInterfaceReady(p);
    return;
  }
  float scale = p.daq.ChannelScale[1];
  float g = static_cast<float>(peakCounts) / scale;
  // An unusable scale (a sensitivity of 0) reads as no feedback, as a 0 peak does.
  if (!(scale > 0) || !(g >= 0.1f)) g = 0.1f;
  p.control.ControlPeakG = g;
  // Kept before the next pulse can fire.
  Tell(p.observer.PulseAnalyzed, p);
}

}  // namespace

void CaptureAndAnalyze(Program& p) {
  p.control.PulseFailed = false;
  p.daq.LastBoardError.clear();
  // The pulse before is committed to the history before this one fires.
  Tell(p.observer.BeforePulse, p);
  bool pci = PciInterface(p);
  bool demo = p.daq.DemoMode == 1.0f;
  if (pci) {
    if (demo) {
      SimulateResponse(p);
      profile::ComputeDrivePeak(p);
    } else {
      if (!DriveReady(p)) return;
      if (!PrepareDrive(p) || !daq::AcquirePulse(p)) {
        FailPulse(p);
        return;
      }
      CopyCollectedSamples(p);
    }
  }
  AnalyzeRecord(p, pci);
}

bool TransientCaptureWaits(const Program& p) {
  return p.Row(profile::row::ControlMode) == 2 && PciInterface(p) && p.daq.DemoMode != 1.0f &&
         p.daq.SixteenChannelFlag != 1 && p.control.PulseSource == nullptr;
}

void ArmTransientCapture(Program& p) {
  p.control.PulseFailed = false;
  p.daq.LastBoardError.clear();
  if (!PulseWithinLimits(p) || !DriveReady(p)) return;
  if (!PrepareDrive(p) || !daq::ArmTransientCapture(p)) FailPulse(p);
}

daq::TransientState PollTransientCapture(Program& p) {
  auto state = daq::PollTransientCapture(p);
  if (state == daq::TransientState::Recorded) {
    CopyCollectedSamples(p);
    AnalyzeRecord(p, true);
  } else if (state == daq::TransientState::Failed) {
    FailPulse(p);
  }
  return state;
}

}  // namespace control
