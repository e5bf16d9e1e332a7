#include "daq/digital.h"

#include <cmath>

#include "common/rounding.h"
#include "daq/call_layer.h"
#include "program/record.h"

namespace daq {

namespace {

constexpr int kDeviceTypeIO = 1, kDeviceNumber = 0, kExpansionPort = 1;

// Port A bits.
constexpr int kWordClock = 1, kData = 2, kByteClock = 8, kIdle = 16;

bool Lines(Program& p) {
  return EnsureDriver(p);
}

// Inside an acquisition routine a failure raises into the routine's handler. Elsewhere it
// is reported once per event and the write reports false: a line write must not abort
// Stop, start-up or Exit half way.
bool WriteOn(Program& p, int32_t handle, int port, int value) {
  auto& d = p.daq;
  if (d.RoutineDepth > 0) {
    DaqIOWrite(p, handle, kDeviceTypeIO, port, kDeviceNumber, kExpansionPort, value);
    return true;
  }
  int32_t rc = 0;
  {
    QuietCalls quiet(d);
    rc = DaqIOWrite(p, handle, kDeviceTypeIO, port, kDeviceNumber, kExpansionPort, value);
  }
  if (rc != 0) ReportBoardFailure(p, rc);
  return rc == 0;
}

}  // namespace

int32_t DriveLevelLimit(const Program& p) {
  // The volts as the record holds them, times 400, rounded as every conversion is: 1.05 V
  // is 420 counts, the level the drive peak was capped at, not one count less.
  const int32_t counts =
      common::ToInt32(static_cast<double>(p.Row(profile::row::MaxDriveVolts)) * 400.0);
  if (counts <= 0) return 0;  // no usable maximum (also NaN): no drive
  return counts > 4000 ? 4000 : counts;
}

bool WritePort(Program& p, int port, int value) {
  if (!Lines(p)) return true;
  return WriteOn(p, p.daq.ActiveHandle, port, value);
}

int16_t ReadPort(Program& p, int port) {
  if (!Lines(p)) return kRemoteInputsIdle;
  int32_t value = kRemoteInputsIdle;
  // A read that failed has no value: it must not look like pressed inputs.
  if (DaqIORead(p, p.daq.ActiveHandle, kDeviceTypeIO, port, kDeviceNumber, kExpansionPort, value) !=
      0)
    return kRemoteInputsIdle;
  return static_cast<int16_t>(value & 0xFFFF);
}

// A register is given whole or not at all: after a failed write the rest of the bits
// are not clocked, so no shifted half-word is ever taken up.
bool SendSerialByte(Program& p, int value) {
  p.daq.LastShiftedByte = value;
  if (!Lines(p)) return true;
  int rest = value;
  if (!WritePort(p, kPortA, kIdle)) return false;
  for (int n = 7; n >= 0; --n) {
    int bit = 0;
    if ((1 << n) <= rest) {
      bit = 1;
      rest -= 1 << n;
    }
    if (!WritePort(p, kPortA, kIdle + kData * bit) ||
        !WritePort(p, kPortA, kIdle + kByteClock + kData * bit) || !WritePort(p, kPortA, kIdle))
      return false;
  }
  return true;
}

bool SendSerialWord(Program& p) {
  auto& d = p.daq;
  // Both fields are 12 bits wide; a value past its field would spill into the other one
  // or read as all ones, so each is held to its range before any bit goes out.
  int32_t low = d.SerialWordLow, high = d.SerialWordHigh;
  int32_t limit = DriveLevelLimit(p);
  if (low < 0) low = 0;
  if (low > limit) low = limit;
  if (high < 0) high = 0;
  if (high > 4095) high = 4095;
  ++d.SerialWordsSent;
  d.LastSentWordLow = low;
  d.LastSentWordHigh = high;
  if (!Lines(p)) return true;
  int32_t rest = high * 4096 + low;
  // Without the closing rise of the idle line nothing is latched: a word cut short by a
  // failed write leaves the level that was latched before.
  if (!WritePort(p, kPortA, 0)) return false;
  for (int n = 23; n >= 0; --n) {
    int bit = 0;
    if ((1 << n) <= rest) {
      bit = 1;
      rest -= 1 << n;
    }
    if (!WritePort(p, kPortA, kData * bit) || !WritePort(p, kPortA, kData * bit + kWordClock) ||
        !WritePort(p, kPortA, 0))
      return false;
  }
  return WritePort(p, kPortA, kIdle);
}

void ShiftOutByte(Program& p, int value) {
  SendSerialByte(p, value);
}

bool PeekRemoteInputs(Program& p, int16_t& word) {
  auto& d = p.daq;
  if (d.MasterHandle < 0 || !Lines(p)) return false;
  const int32_t last = d.DaqLastError;
  int32_t value = kRemoteInputsIdle, rc = 0;
  {
    QuietCalls quiet(d);
    rc = DaqIORead(p, d.MasterHandle, kDeviceTypeIO, kPortC, kDeviceNumber, kExpansionPort, value);
  }
  d.DaqLastError = last;
  if (rc != 0) return false;
  word = static_cast<int16_t>(value & 0xFFFF);
  return true;
}

void WriteDigitalPort1(Program& p, int32_t handle, int value) {
  p.daq.LastPort1Handle = handle;
  p.daq.LastPort1Value = value;
  ++p.daq.Port1Writes;
  if (!Lines(p)) return;
  WriteOn(p, handle, kPortB, value);
}

void SelectBoard(Program& p, int32_t handle) {
  p.daq.ActiveHandle = handle;
}

int16_t ReadRemoteInputs(Program& p) {
  return ReadPort(p, kPortC);
}

}  // namespace daq
