#pragma once
// The menu items this module owns: File profile items, Shock Setup; true when handled.
#include "program/program.h"

namespace profile {
bool OnMenu(Program& p, ui::MenuId id, int index);
}  // namespace profile
