#pragma once
// System menu settings: the active input channels and the channel menus they enable.
#include "app/program.h"

namespace files {
// Checks the channel-count item and enables the per-channel menu items of the active
// channels, from EightChannelFlag and SixteenChannelFlag.
void ApplyActiveChannels(Program& p);
// The three "Active Input Channels" choices: code 0 = 4, 1 = 8, 2 = 16 channels.
void SetActiveChannels(Program& p, int code);
}  // namespace files
