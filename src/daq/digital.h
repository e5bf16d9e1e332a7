#pragma once
// The digital lines of the boards: serial registers on port A, fixed patterns on port B,
// remote inputs on port C. Every routine acts on the active board unless it is given one.
// Without a driver library there are no lines: nothing is written and inputs read idle.
#include "program/program.h"

namespace daq {

inline constexpr int kPortA = 0, kPortB = 1, kPortC = 2, kPortConfig = 3;

// Line writes outside the acquisition routines never raise: a failure is reported once
// per event and the write returns false.
bool WritePort(Program& p, int port, int value);
int16_t ReadPort(Program& p, int port);

// Clocks 8 bits out to the current-source register.
bool SendSerialByte(Program& p, int value);
// Clocks SerialWordHigh and SerialWordLow out to the 24-bit register, high first. The low
// field is the drive level: it never leaves here above the maximum drive or 4000 counts.
// False when a write failed: the word was then not latched.
bool SendSerialWord(Program& p);
void ShiftOutByte(Program& p, int value);  // the current-source byte, at exit
void WriteDigitalPort1(Program& p, int32_t handle, int value);
void SelectBoard(Program& p, int32_t handle);  // make it the active board

// The highest drive level the lines may carry: the maximum drive in counts, at most 4000.
int32_t DriveLevelLimit(const Program& p);

// Port C of the master board: the four remote inputs, active low in bits 0 to 3.
inline constexpr int16_t kRemoteInputsIdle = 0xFF;  // every line high: no input
int16_t ReadRemoteInputs(Program& p);
// The same lines read on the master board without raising or reporting, for the Abort
// check while a handler is busy; false when they could not be read.
bool PeekRemoteInputs(Program& p, int16_t& word);

}  // namespace daq
