#pragma once
// System and Inputs menu settings: hardware configuration, unit system, separators, system
// limits, trip points, manual step, and the per-channel input settings.
#include "program/program.h"

namespace files {
// The three "Active Input Channels" choices: code 0 = 4, 1 = 8, 2 = 16 channels.
void SetActiveChannels(Program& p, int code);

// Interface choice 0 DIO, 1 PCI, 2 USB; it takes effect at the next hardware start-up.
void SetInterfaceType(Program& p, int type);
// Separator choice 0 English ("."), 1 Reversed (",").
void SetDecimalMode(Program& p, int mode);
// Board address prompts; a new address restarts the hardware.
void EditMasterAddress(Program& p);
void EditSlaveAddress(Program& p);

void EditManualStep(Program& p);
void EditLowGain(Program& p);
void EditOpenLoop(Program& p);

enum class Limit { Acceleration, Velocity, Displacement };
// The system limit prompts, worded for the unit system in use.
void EditSystemLimit(Program& p, Limit which);

// Inputs menu. Channels are 1..16.
void EditSensitivity(Program& p, int channel);
void ToggleCurrentSource(Program& p, int channel);
void EditTriggerLevel(Program& p);
void EditActiveInputs(Program& p);
void EditAccelModel(Program& p);
void EditAccelSerial(Program& p);
}  // namespace files
