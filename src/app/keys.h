#pragma once
#include "program/program.h"

namespace app {
// Operator keys, from the main window and from the control file: `key` is the character
// code. "X"/"x" and "Y"/"y" zoom in and out; the other keys act whatever their case.
void HandleKey(Program& p, int key);
// Help menu: the key list.
void KeyboardHelp(Program& p);
}  // namespace app
