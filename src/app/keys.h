#pragma once
#include "app/program.h"

namespace app {
// Operator keys.
void KeyPress(Program& p, int key);
}  // namespace app
