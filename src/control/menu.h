#pragma once
// The menu items this module owns; true when handled.
#include "program/program.h"

namespace control {
bool OnMenu(Program& p, ui::MenuId id, int index);
}  // namespace control
