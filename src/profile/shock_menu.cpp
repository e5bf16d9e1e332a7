#include "app/menus.h"

namespace profile {
bool OnMenu(Program&, ui::MenuId, int) { return false; }
}  // namespace profile
