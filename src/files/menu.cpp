#include "app/menus.h"

namespace files {
bool OnMenu(Program&, ui::MenuId, int) { return false; }
}  // namespace files
