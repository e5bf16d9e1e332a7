#include "files/menu.h"
#include "files/calibration.h"
#include "files/clipboard.h"
#include "files/data_file.h"
#include "files/report_file.h"
#include "files/srs_export.h"
#include "files/system_settings.h"
#include "profile/kinematics.h"

namespace files {

bool OnMenu(Program& p, ui::MenuId id, int index) {
  switch (id) {
    case ui::MenuId::mnuFileOpenReport:
      OpenReport(p);
      return true;
    case ui::MenuId::mnuFileSaveReport:
      SaveReport(p);
      return true;
    case ui::MenuId::mnuFileExport:
      ExportData(p);
      return true;
    case ui::MenuId::mnuFileExportSRS:
      ExportSrs(p);
      return true;
    case ui::MenuId::mnuSystemCalGain:
      EditCalGain(p, index + 1);
      return true;
    case ui::MenuId::mnuSystemCalUpdate:
      UpdateCalFactors(p);
      return true;
    case ui::MenuId::mnuSystemActiveChannels4:
      SetActiveChannels(p, 0);
      return true;
    case ui::MenuId::mnuSystemActiveChannels8:
      SetActiveChannels(p, 1);
      return true;
    case ui::MenuId::mnuSystemActiveChannels16:
      SetActiveChannels(p, 2);
      return true;
    case ui::MenuId::mnuSystemInterfaceDIO:
      SetInterfaceType(p, 0);
      return true;
    case ui::MenuId::mnuSystemInterfacePCI:
      SetInterfaceType(p, 1);
      return true;
    case ui::MenuId::mnuSystemInterfaceUSB:
      SetInterfaceType(p, 2);
      return true;
    case ui::MenuId::mnuSystemAddressMaster:
      EditMasterAddress(p);
      return true;
    case ui::MenuId::mnuSystemAddressSlave:
      EditSlaveAddress(p);
      return true;
    case ui::MenuId::mnuSystemUnitsEnglish:
      profile::SetUnitSystem(p, 0);
      return true;
    case ui::MenuId::mnuSystemUnitsMetric:
      profile::SetUnitSystem(p, 1);
      return true;
    case ui::MenuId::mnuSystemUnitsHybrid:
      profile::SetUnitSystem(p, 2);
      return true;
    case ui::MenuId::mnuSystemSepsEnglish:
      SetDecimalMode(p, 0);
      return true;
    case ui::MenuId::mnuSystemSepsReversed:
      SetDecimalMode(p, 1);
      return true;
    case ui::MenuId::mnuSystemManualSteps:
      EditManualStep(p);
      return true;
    case ui::MenuId::mnuSystemMaxD:
      EditSystemLimit(p, Limit::Displacement);
      return true;
    case ui::MenuId::mnuSystemMaxV:
      EditSystemLimit(p, Limit::Velocity);
      return true;
    case ui::MenuId::mnuSystemMaxA:
      EditSystemLimit(p, Limit::Acceleration);
      return true;
    case ui::MenuId::mnuSystemLowGain:
      EditLowGain(p);
      return true;
    case ui::MenuId::mnuSystemOpenLoop:
      EditOpenLoop(p);
      return true;
    case ui::MenuId::mnuInputsSens:
      EditSensitivity(p, index + 1);
      return true;
    case ui::MenuId::mnuInputsCurrent:
      ToggleCurrentSource(p, index + 1);
      return true;
    case ui::MenuId::mnuInputsTriggerLevel:
      EditTriggerLevel(p);
      return true;
    case ui::MenuId::mnuInputsActive:
      EditActiveInputs(p);
      return true;
    case ui::MenuId::mnuInputsAccelModel:
      EditAccelModel(p);
      return true;
    case ui::MenuId::mnuInputsAccelSerial:
      EditAccelSerial(p);
      return true;
    case ui::MenuId::mnuCut:
      CopyPlotToClipboard(p);
      return true;
    case ui::MenuId::mnuToolsCopyData:
      CopyDataToClipboard(p);
      return true;
    default:
      return false;
  }
}

}  // namespace files
