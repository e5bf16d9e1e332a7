#include "app/menus.h"

namespace app {
bool OnTestMenu(Program&, ui::MenuId, int) { return false; }
}  // namespace app
