#pragma once
// The menu items the entry point owns; true when handled. Every other module declares its
// own OnMenu beside it.
#include "program/program.h"

namespace app {
bool OnMenu(Program& p, ui::MenuId id, int index);      // File exit, Help, Test, Run, remote
bool OnTestMenu(Program& p, ui::MenuId id, int index);  // Test Setup menu
bool OnRunMenu(Program& p, ui::MenuId id, int index);   // Test Run menu
}  // namespace app
