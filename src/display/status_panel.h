#pragma once
#include "app/program.h"

namespace display {
void UpdateStatusPanel(Program& p);
}  // namespace display
