#pragma once
// The digital lines of the boards: serial registers on port A, fixed patterns, remote inputs.
#include "app/program.h"

namespace daq {
void SendSerialByte(Program& p, int value);  // on the active board
void SendSerialWord(Program& p);             // SerialWordLow and SerialWordHigh
void ShiftOutByte(Program& p, int value);
void WriteDigitalPort1(Program& p, int32_t handle, int value);
void SelectBoard(Program& p, int32_t handle);  // make it the active board
}  // namespace daq
