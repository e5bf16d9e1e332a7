#pragma once
// The menu items this module owns: System, Inputs, reports, Tools; true when handled.
#include "program/program.h"

namespace files {
bool OnMenu(Program& p, ui::MenuId id, int index);
}  // namespace files
