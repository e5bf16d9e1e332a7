#include "daq/discovery.h"

#include "daq/acquisition.h"
#include "daq/call_layer.h"
#include "daq/wait.h"
#include "program/record.h"

namespace daq {

namespace {

using ui::MenuId;

constexpr MenuId kChannelMenus[] = {MenuId::mnuSystemCalGain, MenuId::mnuInputsCurrent,
                                    MenuId::mnuInputsSens, MenuId::mnuViewResponse};

void EnableChannels(ui::Window& w, int first, int last, bool on) {
  for (MenuId id : kChannelMenus)
    for (int i = first; i <= last; ++i) w.Menu(id, i).Enabled = on;
}

constexpr const char* kInstallError = "Install Error";
void InstallBox(Program& p, const char* text) {
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, kInstallError);
}
}  // namespace

void ApplyActiveChannels(Program& p) {
  auto& w = p.win;
  if (p.daq.EightChannelFlag == 0) {
    w.CheckOnly(MenuId::mnuSystemActiveChannels4, MenuId::mnuSystemActiveChannels4,
                MenuId::mnuSystemActiveChannels8, MenuId::mnuSystemActiveChannels16);
    EnableChannels(w, 4, 7, false);
  } else if (p.daq.EightChannelFlag == 1) {
    w.CheckOnly(MenuId::mnuSystemActiveChannels8, MenuId::mnuSystemActiveChannels4,
                MenuId::mnuSystemActiveChannels8, MenuId::mnuSystemActiveChannels16);
    EnableChannels(w, 4, 7, true);
  }
  bool sixteen = p.daq.SixteenChannelFlag == 1;
  if (sixteen)
    w.CheckOnly(MenuId::mnuSystemActiveChannels16, MenuId::mnuSystemActiveChannels4,
                MenuId::mnuSystemActiveChannels8, MenuId::mnuSystemActiveChannels16);
  EnableChannels(w, 8, 15, sixteen);
  w.Menu(MenuId::mnuViewChannelsLower).Enabled = sixteen;
  w.Menu(MenuId::mnuViewChannelsUpper).Enabled = sixteen;
}

void OpenDevices(Program& p) {
  auto& d = p.daq;
  try {
    d.ActiveHandle = -1;
    d.MasterHandle = -1;
    d.DeviceName = "DaqBoard1K0";
    d.MasterHandle = OpenDaqDevice(p, d.DeviceName);
    if (d.MasterHandle == -1) {
      InstallBox(p, " Daq1000 installed, but not connected to computer or not turned on!");
      d.DemoMode = 1.0f;
      return;
    }
    if (p.Row(profile::row::ActiveChannelsCode) == 2) {
      d.SlaveHandle = -1;
      d.DeviceName = "DaqBoard1K1";
      d.SlaveHandle = OpenDaqDevice(p, d.DeviceName);
      if (d.SlaveHandle == -1) {
        InstallBox(p, " Second Daq1000 installed, but not connected to computer or not turned on!");
        d.DemoMode = 1.0f;
        d.ActiveHandle = d.MasterHandle;
        return;
      }
    }
    d.ActiveHandle = d.MasterHandle;
  } catch (const common::RunError&) {
    d.DemoMode = 1.0f;
    d.EightChannelFlag = 1;
    ApplyActiveChannels(p);
    InstallBox(p, " No hardware was detected. The Software has been put in the Demo Mode");
  }
}

bool HardwareStartup(Program& p) {
  auto& d = p.daq;
  if (p.Row(profile::row::InterfaceType) == 1) {
    InitAcquisition(p);
    SelectInputGains(p);
    ComputeChannelScales(p);
    if (d.DemoMode == 1.0f) return false;
    OpenDevices(p);
    if (d.DemoMode == 1.0f) return false;
    d.ActiveHandle = d.MasterHandle;
    float code = p.Row(profile::row::ActiveChannelsCode);
    if (code == 2) d.SixteenChannelFlag = 1;
    // Nothing is fired after a failed arm; whatever was armed is disarmed again.
    // An Abort ends this check acquisition only: the set-up around it still completes.
    bool ok = false;
    try {
      ok = ArmMaster(p);
      if (ok && (code == 0 || code == 1))
        ok = FireAndCollect(p);
      else if (ok && code == 2)
        ok = ArmSlaveAndFirePair(p);
    } catch (const daq::RunAborted&) {
      ok = false;
    }
    if (!ok) DisarmBoards(p);
  }
  d.DemoMode = 0;
  p.win.Check(ui::MenuId::mnuTestDemo, false);
  d.EightChannelFlag = 1;
  ApplyActiveChannels(p);
  return true;
}

}  // namespace daq
