#include "app/menus.h"

namespace print {
bool OnMenu(Program&, ui::MenuId, int) { return false; }
}  // namespace print
