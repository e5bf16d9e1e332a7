#pragma once
// The menu items this module owns: View, Print Color; true when handled.
#include "program/program.h"

namespace display {
bool OnMenu(Program& p, ui::MenuId id, int index);
}  // namespace display
