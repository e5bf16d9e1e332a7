#include "app/menus.h"
#include "files/calibration.h"
#include "files/system_settings.h"

namespace files {

bool OnMenu(Program& p, ui::MenuId id, int index) {
  switch (id) {
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
    default:
      return false;
  }
}

}  // namespace files
