#pragma once
#include "app/program.h"

namespace daq {
// Sets up the acquisition and opens the boards, or falls back to demo mode.
void HardwareStartup(Program& p);
}  // namespace daq
