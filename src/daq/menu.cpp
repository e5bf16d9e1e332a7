#include "daq/menu.h"

namespace daq {
bool OnMenu(Program&, ui::MenuId, int) {
  return false;
}
}  // namespace daq
