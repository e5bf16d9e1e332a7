#pragma once
// While a procedure runs, every command that changes the set-up or fires is refused and shown
// disabled, whatever its source: only the procedure fires. Abort and Stop from every source,
// the View menu, the zoom, the cursor, printing and the history stay.
#include "app/events.h"

namespace app {

// A procedure runs (from its start until its report is written).
bool LockedOut(const Program& p);
// The item is refused during a procedure, by itself or by the menu it is in.
bool MenuRefused(ui::MenuId id);
// Keys "E", "P" and "S" in either case.
bool KeyRefused(int key);
// The event is a refused command and a procedure runs.
bool EventRefused(const Program& p, const Event& e);
// Shows the refused menus, items, buttons and the level spin disabled while a procedure
// runs, enabled otherwise.
void ShowLockOut(Program& p);

}  // namespace app
