#pragma once
// Each module answers the clicks of the menu items it owns; true when handled.
#include "program/program.h"

namespace app {
bool OnMenu(Program& p, ui::MenuId id, int index);      // File exit, Help, Test, Run, remote
bool OnTestMenu(Program& p, ui::MenuId id, int index);  // Test Setup menu
bool OnRunMenu(Program& p, ui::MenuId id, int index);   // Test Run menu
}  // namespace app
namespace profile {
bool OnMenu(Program& p, ui::MenuId id, int index);  // File profile items, Shock Setup
}
namespace control {
bool OnMenu(Program& p, ui::MenuId id, int index);
}
namespace daq {
bool OnMenu(Program& p, ui::MenuId id, int index);
}
namespace files {
bool OnMenu(Program& p, ui::MenuId id, int index);  // System, Inputs, reports, Tools
}
namespace display {
bool OnMenu(Program& p, ui::MenuId id, int index);  // View, Print Color
}
namespace print {
bool OnMenu(Program& p, ui::MenuId id, int index);  // Printer Setup, Print Report
}
