#include "app/menus.h"

namespace display {
bool OnMenu(Program&, ui::MenuId, int) { return false; }
}  // namespace display
