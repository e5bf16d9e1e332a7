#pragma once
#include "program/program.h"

namespace daq {

// Checks the channel-count item and enables the per-channel menu items of the active
// channels, from EightChannelFlag and SixteenChannelFlag.
void ApplyActiveChannels(Program& p);
// Sets up the acquisition and opens the boards, or falls back to demo mode. True when it
// went through to the end: the caller then shows the new mode on the status panel.
bool HardwareStartup(Program& p);
// Opens the master board, and the slave with sixteen channels; a failure means demo mode.
void OpenDevices(Program& p);
}  // namespace daq
