#include "daq/digital.h"

namespace daq {
// Without a bound driver library the lines are not reached.
void SendSerialByte(Program&, int) {}
void SendSerialWord(Program&) {}
void ShiftOutByte(Program&, int) {}
void WriteDigitalPort1(Program&, int32_t, int) {}
void SelectBoard(Program& p, int32_t handle) { p.daq.ActiveHandle = handle; }
}  // namespace daq
