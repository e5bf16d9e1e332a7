#pragma once
#include "program/program.h"

namespace daq {
// Sets up the acquisition and opens the boards, or falls back to demo mode.
void HardwareStartup(Program& p);
// Opens the master board, and the slave with sixteen channels; a failure means demo mode.
void OpenDevices(Program& p);
}  // namespace daq
