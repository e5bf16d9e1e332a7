#include "files/system_settings.h"

#include "daq/discovery.h"
#include "profile/record.h"

namespace files {

using ui::MenuId;

namespace {

constexpr MenuId kChannelMenus[] = {MenuId::mnuSystemCalGain, MenuId::mnuInputsCurrent,
                                    MenuId::mnuInputsSens, MenuId::mnuViewResponse};

void EnableChannels(ui::Window& w, int first, int last, bool on) {
  for (MenuId id : kChannelMenus)
    for (int i = first; i <= last; ++i) w.Menu(id, i).Enabled = on;
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

void SetActiveChannels(Program& p, int code) {
  p.Row(profile::row::ActiveChannelsCode) = static_cast<float>(code);
  p.daq.EightChannelFlag = code == 0 ? 0 : 1;
  p.daq.SixteenChannelFlag = code == 2 ? 1 : 0;
  ApplyActiveChannels(p);
  // The second board is opened by a fresh start-up of the hardware.
  if (code == 2) daq::HardwareStartup(p);
}

}  // namespace files
