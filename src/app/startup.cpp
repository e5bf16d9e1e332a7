#include "app/startup.h"

#include "app/keys.h"
#include "app/lockout.h"
#include "app/menus.h"
#include "app/remote.h"
#include "common/rounding.h"
#include "control/equalize.h"
#include "control/stop.h"
#include "daq/acquisition.h"
#include "daq/digital.h"
#include "daq/discovery.h"
#include "display/plot.h"
#include "display/status_panel.h"
#include "files/calibration.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"

namespace app {

using ui::MenuId;

std::string SplashDealerText(int dealerIndex) {
  switch (dealerIndex) {
    case 5:
      return "Shock Test Systems";
    default:
      return "Vibration Test Equipment";
  }
}

void MainInitialize(Program& p) {
  profile::SetProfileDefaults(p);
  profile::LoadDefaultProfile(p);
  p.daq.BoardAddress = common::ToInt32(p.Row(profile::row::MasterAddress));
  if (daq::HardwareStartup(p)) display::UpdateStatusPanel(p);
  if (p.daq.DemoMode != 1.0f) {
    p.daq.DemoMode = 0.0f;
    p.win.Check(MenuId::mnuTestDemo, false);
  }
  files::LoadCalFactors(p);
  if (!p.win.Shown) {
    p.run.SavedPrinterFloat = p.platform.GetPrinter().FloatSetting();
    p.win.Shown = true;
  }
  // The window appears now, at its real size, before the first drawing.
  p.platform.Refresh();
  control::StopTest(p, {});
  profile::RecomputeProfile(p);
}

namespace {
void EndProgram(Program& p) {
  p.run.Ended = true;
  p.platform.EndProgram();
}
bool PciHardware(const Program& p) {
  return p.daq.DemoMode != 1.0f && p.Row(profile::row::InterfaceType) == 1;
}
// The resets before the end are best effort: whatever fails, the program ends.
template <typename F>
void ThenEnd(Program& p, F&& resets) {
  try {
    resets();
  } catch (...) {
  }
  EndProgram(p);
}
}  // namespace

namespace {
bool ExitConfirmed(Program& p) {
  return p.platform.MessageBox("Exit VAV Program?", ui::Buttons::YesNo, ui::Icon::Critical, "") !=
         ui::Answer::No;
}
}  // namespace

void ExitCommand(Program& p) {
  if (!ExitConfirmed(p)) return;
  ThenEnd(p, [&] {
    control::StopTest(p, run::ProgramClosed());
    p.platform.GetPrinter().SetIntSetting(p.run.SavedPrinterInt);
    if (PciHardware(p)) {
      daq::ShiftOutByte(p, 0);
      daq::WriteDigitalPort1(p, p.daq.MasterHandle, 12);
    }
  });
}

void Unload(Program& p) {
  // Closing the window in the middle of a procedure asks as File > Exit does; a No keeps
  // the program (and the procedure) running.
  if (LockedOut(p) && !ExitConfirmed(p)) return;
  ThenEnd(p, [&] {
    control::StopTest(p, run::ProgramClosed());
    auto& pr = p.platform.GetPrinter();
    pr.SetIntSetting(p.run.SavedPrinterInt);
    pr.SetFloatSetting(p.run.SavedPrinterFloat);
    if (PciHardware(p)) {
      daq::ShiftOutByte(p, 0);
      daq::WriteDigitalPort1(p, p.daq.MasterHandle, 12);
      if (p.daq.SixteenChannelFlag == 1) {
        daq::SelectBoard(p, p.daq.SlaveHandle);
        daq::ShiftOutByte(p, 0);
        daq::WriteDigitalPort1(p, p.daq.SlaveHandle, 11);
        daq::SelectBoard(p, p.daq.MasterHandle);
      }
    }
  });
}

void AboutSoftware(Program& p) {
  std::string contact;
  switch (p.profile.DealerIndex) {
    case 5:
      contact =
          "For technical support contact Shock Test Systems\r\n"
          "Service department, Monday to Friday";
      break;
    default:
      contact = "For technical support contact your dealer";
      break;
  }
  p.platform.MessageBox(
      "   KRX-8 Windows 'Xp/Vista/7 32 bit Ver. 2.411, 4/05/2013 \r\n\r\n" + contact,
      ui::Buttons::OK, ui::Icon::None, "About the KRX-8 Classical Shock Controller");
}

void WhatsNew(Program& p) {
  p.platform.MessageBox(
      " What's New In This Version\r\n\r\n"
      "Ver. 2.411: Custom waveshapes are never cut at nine pulse widths\r\n"
      "Ver. 2.400: Sixteen input channels with a second board\r\n"
      "Ver. 2.300: Software remote control file\r\n"
      "Ver. 2.200: Hybrid units (mm and G)\r\n"
      "Ver. 2.100: Shock response spectrum view",
      ui::Buttons::OK, ui::Icon::None, "What's New");
}

void HelpFile(Program& p) {
  p.platform.ShowHelp(kHelpFile);
}

bool OnMenu(Program& p, ui::MenuId id, int index) {
  switch (id) {
    case MenuId::mnuExit:
      ExitCommand(p);
      return true;
    case MenuId::mnuHelpAboutSoftware:
      AboutSoftware(p);
      return true;
    case MenuId::mnuHelpNew:
      WhatsNew(p);
      return true;
    case MenuId::mnuHelpHelp:
      HelpFile(p);
      return true;
    case MenuId::mnuHelpKeyboard:
      KeyboardHelp(p);
      return true;
    case MenuId::mnuInputsRemote:
      ToggleRemoteInputs(p);
      return true;
    case MenuId::mnuInputsDllControl:
      ToggleControlFile(p);
      return true;
    default:
      break;
  }
  if (OnTestMenu(p, id, index)) return true;
  return OnRunMenu(p, id, index);
}

}  // namespace app
