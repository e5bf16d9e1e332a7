#include "daq/digital.h"

#include <cmath>

#include "common/rounding.h"
#include "daq/call_layer.h"
#include "profile/record.h"

namespace daq {

namespace {

constexpr int kDeviceTypeIO = 1, kDeviceNumber = 0, kExpansionPort = 1;

// Port A bits.
constexpr int kWordClock = 1, kData = 2, kByteClock = 8, kIdle = 16;

bool Lines(Program& p) {
  return EnsureDriver(p);
}

void WriteOn(Program& p, int32_t handle, int port, int value) {
  DaqIOWrite(p, handle, kDeviceTypeIO, port, kDeviceNumber, kExpansionPort, value);
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

void WritePort(Program& p, int port, int value) {
  if (!Lines(p)) return;
  WriteOn(p, p.daq.ActiveHandle, port, value);
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

void SendSerialByte(Program& p, int value) {
  p.daq.LastShiftedByte = value;
  if (!Lines(p)) return;
  int rest = value;
  WritePort(p, kPortA, kIdle);
  for (int n = 7; n >= 0; --n) {
    int bit = 0;
    if ((1 << n) <= rest) {
      bit = 1;
      rest -= 1 << n;
    }
    WritePort(p, kPortA, kIdle + kData * bit);
    WritePort(p, kPortA, kIdle + kByteClock + kData * bit);
    WritePort(p, kPortA, kIdle);
  }
}

void SendSerialWord(Program& p) {
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
  if (!Lines(p)) return;
  int32_t rest = high * 4096 + low;
  WritePort(p, kPortA, 0);
  for (int n = 23; n >= 0; --n) {
    int bit = 0;
    if ((1 << n) <= rest) {
      bit = 1;
      rest -= 1 << n;
    }
    WritePort(p, kPortA, kData * bit);
    WritePort(p, kPortA, kData * bit + kWordClock);
    WritePort(p, kPortA, 0);
  }
  WritePort(p, kPortA, kIdle);
}

void ShiftOutByte(Program& p, int value) {
  SendSerialByte(p, value);
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
