#include "files/system_settings.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "common/number_text.h"
#include "common/prompt.h"
#include "daq/acquisition.h"
#include "daq/discovery.h"
#include "display/status_panel.h"
#include "profile/recompute.h"
#include "program/record.h"

namespace files {

using ui::MenuId;

namespace {

constexpr const char* kInputsTitle = "Setup Inputs";

constexpr MenuId kInterfaceItems[] = {MenuId::mnuSystemInterfaceDIO, MenuId::mnuSystemInterfacePCI,
                                      MenuId::mnuSystemInterfaceUSB};

struct LimitPrompt {
  int Row;
  const char* Title;
  const char* English;
  const char* Metric;
};

// In the order of Limit.
constexpr LimitPrompt kLimitPrompts[] = {
    {profile::row::LimitA, " Setup Maximum Acceleration Limit",
     " Enter the maximum allowable system acceleration in G-peak",
     " Enter the maximum allowable system acceleration in M/Sec^2"},
    {profile::row::LimitV, " Setup Maximum Velocity Limit",
     " Enter the maximum allowable system velocity in IPS-peak",
     " Enter the maximum allowable system velocity in CM/Sec-peak"},
    {profile::row::LimitD, " Setup Maximum Displacement Limit",
     " Enter the maximum allowable system displacement in mils peak-peak.",
     " Enter the maximum allowable system displacement in MM-peak-peak."},
};

// The answer, compared with the bounds as typed and stored as a record float. Cancel, a
// non-numeric answer and one beyond the range of the record's floats give nothing: the
// last would otherwise be stored as infinity.
std::optional<double> AskValue(Program& p, const std::string& prompt, const std::string& title,
                               float current) {
  auto v = common::AskNumber(p.platform, prompt, title, common::PromptDefaultText(current));
  if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) return std::nullopt;
  return *v;
}

// Any number is taken; a non-numeric answer changes nothing and restarts nothing.
void EditBoardAddress(Program& p, int row, const std::string& prompt) {
  auto v = AskValue(p, prompt, " VAV System Setup", p.Row(row));
  if (!v) return;
  p.Row(row) = static_cast<float>(*v);
  if (daq::HardwareStartup(p)) display::UpdateStatusPanel(p);
  if (p.daq.DemoMode != 1.0f) p.win.Check(MenuId::mnuTestDemo, false);
}

}  // namespace

void SetActiveChannels(Program& p, int code) {
  p.Row(profile::row::ActiveChannelsCode) = static_cast<float>(code);
  p.daq.EightChannelFlag = code == 0 ? 0 : 1;
  p.daq.SixteenChannelFlag = code == 2 ? 1 : 0;
  daq::ApplyActiveChannels(p);
  // The second board is opened by a fresh start-up of the hardware.
  if (code == 2 && daq::HardwareStartup(p)) display::UpdateStatusPanel(p);
}

void SetInterfaceType(Program& p, int type) {
  if (type < 0 || type > 2) return;
  p.win.CheckOnly(kInterfaceItems[type], kInterfaceItems[0], kInterfaceItems[1],
                  kInterfaceItems[2]);
  p.Row(profile::row::InterfaceType) = static_cast<float>(type);
}

void SetDecimalMode(Program& p, int mode) {
  if (mode != 0 && mode != 1) return;
  const MenuId chosen = mode == 0 ? MenuId::mnuSystemSepsEnglish : MenuId::mnuSystemSepsReversed;
  p.win.CheckOnly(chosen, MenuId::mnuSystemSepsEnglish, MenuId::mnuSystemSepsReversed);
  float& current = p.Row(profile::row::DecimalMode);
  if (current != static_cast<float>(mode)) {
    current = static_cast<float>(mode);
    p.profile.DecimalSeparator = mode == 0 ? "." : ",";
  }
  if (mode == 1)
    p.platform.MessageBox(
        " Numbers may be displayed differently depending on Windows Regional Settings",
        ui::Buttons::OK, ui::Icon::None, " Information");
}

void EditMasterAddress(Program& p) {
  EditBoardAddress(p, profile::row::MasterAddress,
                   "Enter the Master board address; board #0 is the default setting for Master "
                   "(Ch#1-8) and 1 is the setting for Slave operation ( Ch#9-16).\r\n");
}

void EditSlaveAddress(Program& p) {
  EditBoardAddress(p, profile::row::SlaveAddress,
                   "Enter the board address; board #1 is the default setting for Slave "
                   "operation (Ch#9-16) and 1 is the setting for Master operation (Ch#1-8).\r\n");
}

void EditManualStep(Program& p) {
  float& step = p.Row(profile::row::ManualStep);
  if (step == 0) step = 0.1f;
  auto v = AskValue(p, " Enter the Manual Mode Level step size multiplier",
                    " Setup Manual Mode stepsize", step);
  if (v && *v > 0) step = static_cast<float>(*v);
}

void EditLowGain(Program& p) {
  float& db = p.Row(profile::row::LowGainDb);
  if (db < 1.0f) db = 20;
  auto v = AskValue(p,
                    " Enter the Low-Gain trip point in Db. greater than 1.0. Low-Gain is defined "
                    "as the compression point where at least 0.25 G feedback is expected.",
                    " Low Gain Trip Point", db);
  if (v && *v > 1) db = static_cast<float>(*v);
}

void EditOpenLoop(Program& p) {
  float& db = p.Row(profile::row::OpenLoopDb);
  if (db < 0.1f) db = 0.5f;
  auto v = AskValue(p,
                    " Enter the Open-Loop trip point in Db. greater than 0.1. Open-Loop is "
                    "defined as the minimum compression point.",
                    " Open-Loop Trip Point", db);
  if (v && *v > 0.1 && *v < 100) db = static_cast<float>(*v);
}

void EditSystemLimit(Program& p, Limit which) {
  const float units = p.Row(profile::row::UnitSystem);
  int system = units == 0 ? 0 : units == 1 ? 1 : units == 2 ? 2 : -1;
  if (system < 0) return;
  const LimitPrompt& lp = kLimitPrompts[static_cast<int>(which)];
  // Hybrid units hold acceleration in G and velocity and displacement in metric units.
  bool metric = system == 1 || (system == 2 && which != Limit::Acceleration);
  float& limit = p.Row(lp.Row);
  auto v = AskValue(p, metric ? lp.Metric : lp.English, lp.Title, limit);
  if (v && *v > 1) limit = static_cast<float>(*v);
}

void EditSensitivity(Program& p, int channel) {
  if (channel < 1 || channel > 16) return;
  float& sens = p.Row(profile::kSensitivityRow[channel - 1]);
  const std::string ch = std::to_string(channel);
  auto v = AskValue(p, "Enter Channel #" + ch + " Sensitivity in MV/G between 5.0 and 1000.",
                    kInputsTitle, sens);
  if (!v) return;
  if (*v >= 5)
    sens = static_cast<float>(*v);
  else
    p.platform.MessageBox("The Number must be 5.0 or greater.", ui::Buttons::OK, ui::Icon::None,
                          "Out Of Bounds");
  // Refused or not, the gains and scales follow the sensitivities as they now stand.
  daq::SelectInputGains(p);
  daq::ComputeChannelScales(p);
}

void ToggleCurrentSource(Program& p, int channel) {
  if (channel < 1 || channel > 16) return;
  auto& item = p.win.Menu(MenuId::mnuInputsCurrent, channel - 1);
  item.Checked = !item.Checked;
  for (int k = 0; k < 16; ++k)
    p.Row(profile::kCurrentSourceRow[k]) = p.win.Checked(MenuId::mnuInputsCurrent, k) ? 2.0f : 1.0f;
  profile::ApplyCurrentSources(p);
  profile::SendDriveAmplitude(p);
}

void EditTriggerLevel(Program& p) {
  float& level = p.Row(profile::row::TriggerLevel);
  auto v = AskValue(p, "Channel #1 Trigger Sensitivity in G", kInputsTitle, level);
  if (!v) return;
  if (*v < 0.25) {
    p.platform.MessageBox(" The Number must be 0.25 or greater.", ui::Buttons::OK, ui::Icon::None,
                          " Out Of Bounds");
    return;
  }
  level = static_cast<float>(*v);
  p.daq.TriggerLevel = static_cast<float>(*v);
}

void EditActiveInputs(Program& p) {
  float& inputs = p.Row(profile::row::ActiveInputs);
  auto v = AskValue(p, "Active Input Channels", kInputsTitle, inputs);
  if (!v) return;
  if (*v < 1 || *v > 4) {
    p.platform.MessageBox(" The Number must be between 1 and 4.", ui::Buttons::OK, ui::Icon::None,
                          " Out Of Bounds");
    return;
  }
  inputs = static_cast<float>(std::trunc(*v));
}

void EditAccelModel(Program& p) {
  std::string answer =
      p.platform.InputBox("Enter the accelerometer model #", "Accelerometer Model #", "");
  if (!answer.empty()) p.profile.Record.AccelModel = answer;
}

void EditAccelSerial(Program& p) {
  std::string answer =
      p.platform.InputBox("Enter the accelerometer serial #", "Accelerometer Serial #", "");
  if (!answer.empty()) p.profile.Record.AccelSerial = answer;
}

}  // namespace files
