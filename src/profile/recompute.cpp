#include "profile/recompute.h"

#include <cmath>

#include "common/rounding.h"
#include "daq/acquisition.h"
#include "daq/digital.h"
#include "display/plot.h"
#include "profile/synthesis.h"

namespace profile {

using ui::MenuId;

void SetProfileDefaults(Program& p) {
  p.profile.DealerIndex = 5;
  p.wave.DriveSynthesized = false;
  auto& v = p.profile.Record.Value;
  for (int r = 1; r < kRows; ++r) v[r] = 0;
  v[row::PulseShape] = 1;
  v[row::PulseAmplitude] = 15;
  v[row::PulseDuration] = 10;
  v[row::Polarity] = 1;
  v[row::RepetitionMode] = 1;
  v[row::RepetitionRate] = 1;
  v[row::TotalPulses] = 1;
  v[row::AbortLevelDb] = 6;
  for (int ch = 0; ch < 16; ++ch) v[kSensitivityRow[ch]] = 10;
  for (int ch = 0; ch < 8; ++ch) v[kCurrentSourceRow[ch]] = 1;
  v[row::SampleRateCode] = 3;
  v[row::SettlingMode] = 1;
  v[row::MasterAddress] = 0;
  v[row::PretestLevelDb] = 6;
  v[row::EqualizeLevel] = 3;
  v[row::ActiveInputs] = 4;
  v[row::LimitD] = 1000;
  v[row::LimitV] = 100;
  v[row::LimitA] = 100;
  v[row::UnitSystem] = 0;
  v[row::RemoteInputs] = 0;
  v[row::ShowDisplacement] = 2;
  v[row::ShowVelocity] = 2;
  v[row::ShowAcceleration] = 2;
  v[row::MaxDriveVolts] = 4;
  v[row::BannerIndex] = p.profile.DealerIndex;
  v[row::ManualStep] = 0.1f;
  v[row::SoftwareRemote] = 0;
  v[row::DriveGain] = 1;
  v[row::CompMode] = 0;
  v[row::AutoPrint] = 0;
  v[row::AutoSave] = 0;
  v[row::PreCompPercent] = 16.7f;
  v[row::PostCompPercent] = 16.7f;
  v[row::LowGainDb] = 20;
  v[row::OpenLoopDb] = 0.5f;
  v[row::PlotXZoom] = 1;
  v[row::PlotYZoom] = 0.25f;
  v[row::PlotBackground] = 0;
  v[row::LoadCompensation] = 2;
  v[row::TriggerLevel] = 1;
  v[row::AutoExport] = 0;
  v[row::DecimalMode] = 0;
  v[row::InterfaceType] = 1;
  v[66] = 10;
  v[67] = 1;
  v[100] = 0;
  v[row::SlaveAddress] = 1;
  v[row::ViewChannels] = 0;
  v[row::ActiveChannelsCode] = 1;

  p.profile.DecimalSeparator = ".";
  p.profile.ProfileFileName = " DEFAULT PROFILE";
  p.profile.Record.TestTitle =
      "          RESPONSE PLOT FOR SHOCK TEST # _____________________________";
  for (int i = 33; i <= 48; ++i) p.files.CalFactors[i] = 1.0f;
  p.plot.XZoom = v[row::PlotXZoom];
  p.plot.YZoom = v[row::PlotYZoom];
  p.wave.SampleFactor =
      static_cast<int16_t>(std::lround(std::pow(2.0, v[row::SampleRateCode] - 1)));
  p.daq.TriggerLevel = v[row::TriggerLevel];
  p.daq.BoardAddress = common::ToInt32(v[row::MasterAddress]);
  p.run.LevelFactor = 1.0f;
  p.daq.DemoMode = 0;
  p.run.SavedPrinterInt = p.platform.GetPrinter().IntSetting();
  p.control.SystemEqualized = 0;
  shaping::Clear(p.shaping, p.wave, p.daq.DriveBuffersLoaded);
  p.run.PulseCount = 0;
  p.files.ReportLoaded = false;
}

namespace {

// A row that reads only X checks X and unchecks the others; no match leaves the group.
void SyncGroup(ui::Window& w, float value, std::initializer_list<std::pair<float, MenuId>> group) {
  bool match = false;
  for (auto& [val, id] : group) match |= (value == val);
  if (!match) return;
  for (auto& [val, id] : group) w.Check(id, value == val);
}

}  // namespace

void SyncProfileMenus(Program& p) {
  auto& w = p.win;
  auto V = [&](int r) { return p.Row(r); };
  // Each of the three control-mode items is checked exactly when its value matches.
  w.Check(MenuId::mnuTestControlAuto, V(row::ControlMode) == 0);
  w.Check(MenuId::mnuTestControlManual, V(row::ControlMode) == 1);
  w.Check(MenuId::mnuTestControlTransient, V(row::ControlMode) == 2);
  SyncGroup(w, V(row::PulseShape),
            {{1, MenuId::mnuShockShapeHalfsine},
             {2, MenuId::mnuShockShapeTPSaw},
             {3, MenuId::mnuShockShapeIPSaw},
             {4, MenuId::mnuShockShapeTriangle},
             {5, MenuId::mnuShockShapeTrap},
             {6, MenuId::mnuShockShapeQuarter},
             {7, MenuId::mnuShockShapeCusp},
             {8, MenuId::mnuShockShapeSineBurst}});
  // Custom Shape belongs to the same radio group: a built-in shape loaded over a custom
  // one must not leave both marked.
  if (V(row::PulseShape) >= 1 && V(row::PulseShape) <= 8 &&
      V(row::PulseShape) == std::floor(V(row::PulseShape)))
    w.Check(MenuId::mnuShockShapeCustom, false);
  SyncGroup(w, V(row::Polarity),
            {{1, MenuId::mnuShockPolarityPos}, {2, MenuId::mnuShockPolarityNeg}});
  SyncGroup(w, V(row::RepetitionMode),
            {{1, MenuId::mnuShockRepSingle}, {2, MenuId::mnuShockRepRep}});
  for (int ch = 0; ch < 2; ++ch)
    w.Check(MenuId::mnuInputsCurrent, V(kCurrentSourceRow[ch]) == 2, ch);
  SyncGroup(w, V(row::SampleRateCode),
            {{1, MenuId::mnuShockSample128},
             {2, MenuId::mnuShockSample256},
             {3, MenuId::mnuShockSample512},
             {4, MenuId::mnuShockSample1024}});
  w.Check(MenuId::mnuInputsRemote, V(row::RemoteInputs) == 1);
  SyncGroup(w, V(row::UnitSystem),
            {{0, MenuId::mnuSystemUnitsEnglish},
             {1, MenuId::mnuSystemUnitsMetric},
             {2, MenuId::mnuSystemUnitsHybrid}});
  w.Check(MenuId::mnuViewDisp, V(row::ShowDisplacement) == 2);
  w.Check(MenuId::mnuViewVel, V(row::ShowVelocity) == 2);
  w.Check(MenuId::mnuViewAcc, V(row::ShowAcceleration) == 2);
  w.Check(MenuId::mnuInputsDllControl, V(row::SoftwareRemote) == 1);
  SyncGroup(w, V(row::CompMode), {{0, MenuId::mnuShockCompAuto}, {1, MenuId::mnuShockCompManual}});
  w.Check(MenuId::mnuTestAutoPrint, V(row::AutoPrint) == 1);
  w.Check(MenuId::mnuTestAutoSave, V(row::AutoSave) == 1);
  for (int ch = 2; ch < 4; ++ch)
    w.Check(MenuId::mnuInputsCurrent, V(kCurrentSourceRow[ch]) == 2, ch);
  SyncGroup(w, V(row::PlotBackground),
            {{0, MenuId::mnuViewPlotColorBlack}, {1, MenuId::mnuViewPlotColorWhite}});
  SyncGroup(w, V(row::LoadCompensation),
            {{0, MenuId::mnuTestComp1},
             {1, MenuId::mnuTestComp2},
             {2, MenuId::mnuTestComp3},
             {3, MenuId::mnuTestComp4},
             {4, MenuId::mnuTestComp5}});
  w.Check(MenuId::mnuTestAutoExport, V(row::AutoExport) == 1);
  w.Check(MenuId::mnuSystemSepsEnglish, V(row::DecimalMode) == 0);
  w.Check(MenuId::mnuSystemSepsReversed, V(row::DecimalMode) == 1);
  SyncGroup(w, V(row::InterfaceType),
            {{0, MenuId::mnuSystemInterfaceDIO},
             {1, MenuId::mnuSystemInterfacePCI},
             {2, MenuId::mnuSystemInterfaceUSB}});
  for (int ch = 4; ch < 16; ++ch)
    w.Check(MenuId::mnuInputsCurrent, V(kCurrentSourceRow[ch]) == 2, ch);
  w.Check(MenuId::mnuRunEqual, false);
  w.Check(MenuId::mnuRunPretest, false);
  w.Check(MenuId::mnuRunStart, false);
  for (int b = 0; b < 3; ++b) w.Button(static_cast<ui::ButtonId>(b)).ForeColor = ui::kBlack;
  w.Check(MenuId::mnuTestDemo, p.daq.DemoMode == 1.0f);
}

void ApplyCurrentSources(Program& p) {
  if (p.daq.DemoMode == 1.0f || p.Row(row::InterfaceType) != 1) return;
  for (int ch = 0; ch < 16; ++ch)
    if (p.Row(kCurrentSourceRow[ch]) < 1) p.Row(kCurrentSourceRow[ch]) = 1;
  auto byteOf = [&](int first) {
    // Unsigned: a wild row from a damaged file must not overflow the shift.
    uint32_t b = 0;
    for (int i = 0; i < 8; ++i)
      b += static_cast<uint32_t>(common::ToInt32(p.Row(kCurrentSourceRow[first + i]) - 1)) << i;
    return static_cast<int>(b & 0xFF);
  };
  p.daq.CurrentSourceByte = byteOf(0);
  daq::SendSerialByte(p, p.daq.CurrentSourceByte);
  if (p.daq.SixteenChannelFlag == 1) {
    daq::SelectBoard(p, p.daq.SlaveHandle);
    daq::SendSerialByte(p, byteOf(8));
    daq::SelectBoard(p, p.daq.MasterHandle);
  }
}

void ComputeDrivePeak(Program& p) {
  float mode = p.Row(row::ControlMode);
  int32_t counts = p.run.DrivePeakCounts;
  if (mode == 0 && p.Row(row::InterfaceType) == 1) {
    // Products in single precision, as the record holds them.
    float level = p.run.LevelFactor * p.plot.TestLevelG * p.Row(row::DriveGain);
    if (level < 2000)
      counts = common::ToInt32(static_cast<double>(level) * 10.0);
    else if (level >= 2000)
      counts = 4000;
    else
      counts = 0;  // a NaN gain or level is no reason for full drive
  } else if (mode == 1) {
    counts = common::ToInt32(static_cast<double>(p.run.ManualLevel) * 100.0);
  }
  // At most the maximum drive level and 4000 counts.
  const int32_t maxCounts = daq::DriveLevelLimit(p);
  if (maxCounts < counts) counts = maxCounts;
  // A negative or NaN product must not reach the amplifier as a wrapped value.
  if (counts < 0) counts = 0;
  p.run.DrivePeakCounts = counts;
}

bool SendDriveAmplitude(Program& p) {
  if (p.daq.DemoMode == 1.0f || p.Row(row::InterfaceType) != 1) return true;
  p.daq.SerialWordLow = p.run.DrivePeakCounts;
  p.daq.SerialWordHigh = 0;
  return daq::SendSerialWord(p);
}

void RecomputeProfile(Program& p) {
  p.control.SystemEqualized = 0;
  shaping::Clear(p.shaping, p.wave, p.daq.DriveBuffersLoaded);
  p.wave.DriveSynthesized = false;
  SyncProfileMenus(p);
  SynthesizePulse(p);
  ApplyCurrentSources(p);
  ComputeDrivePeak(p);
  SendDriveAmplitude(p);
  p.win.Check(MenuId::mnuViewTest, true);
  // Only the first two responses: the others the operator checked stay drawn.
  p.win.Check(MenuId::mnuViewResponse, false, 0);
  p.win.Check(MenuId::mnuViewResponse, false, 1);
  p.win.Check(MenuId::mnuViewDrive, false);
  p.win.Check(MenuId::mnuViewSRS, false);
  p.win.Check(MenuId::mnuViewMaximax, false);
  display::RefreshPlot(p);
  // The refresh's limit check set the expected peak: the input ranges follow it, or a
  // profile opened or stepped to a higher level would clip the control channel (and the gain
  // correction would raise the drive after a peak it can never read).
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
}

}  // namespace profile
