#include "control/menu.h"

namespace control {
bool OnMenu(Program&, ui::MenuId, int) {
  return false;
}
}  // namespace control
