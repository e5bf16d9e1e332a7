#include "daq/digital.h"

namespace daq {
// The lines are not reached until the driver library is bound; each routine keeps what it
// would have clocked out, so the callers' effect on the lines can be checked.
void SendSerialByte(Program& p, int value) {
  p.daq.LastShiftedByte = value;
}
void SendSerialWord(Program& p) {
  ++p.daq.SerialWordsSent;
  p.daq.LastSentWordLow = p.daq.SerialWordLow;
  p.daq.LastSentWordHigh = p.daq.SerialWordHigh;
}
void ShiftOutByte(Program& p, int value) {
  p.daq.LastShiftedByte = value;
}
void WriteDigitalPort1(Program&, int32_t, int) {}
void SelectBoard(Program& p, int32_t handle) {
  p.daq.ActiveHandle = handle;
}
}  // namespace daq
