#pragma once
// The menu items this module owns: Printer Setup, Print Report; true when handled.
#include "program/program.h"

namespace print {
bool OnMenu(Program& p, ui::MenuId id, int index);
}  // namespace print
