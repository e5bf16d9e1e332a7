#pragma once
// Hardware state, acquisition parameters, scan tables, transfer and output buffers.
// Every array keeps the bounds the board routines pass, upper bound inclusive.
#include <array>
#include <cstdint>
#include <string>

#include "daq/driver.h"

namespace daq {

inline constexpr int kScanCount = 1024;
inline constexpr int kScanStride = 8;
inline constexpr int kScanBufferSize = kScanCount * kScanStride + 1;  // 0..8192
inline constexpr int kDacUpdateCount = 1120;
inline constexpr int kDacBufferSize = kDacUpdateCount + 1;  // 0..1120
inline constexpr int kChannels = 16;
inline constexpr int kSlaveShift = 120;  // slave samples land this many places later

struct State {
  float DemoMode = 0;  // 1.0 = demo mode
  int32_t MasterHandle = -1;
  int32_t SlaveHandle = -1;
  int32_t ActiveHandle = -1;
  std::string DeviceName;
  int16_t EightChannelFlag = 1;  // channels 5 to 8 active
  int16_t SixteenChannelFlag = 0;
  int32_t BoardAddress = 0;

  // The driver library: its functions, the file they came from, and a file to try before
  // the variable and the default name (a test's or a simulator's).
  DriverTable Driver{};
  bool DriverBound = false;
  bool DriverLoadTried = false;
  void* DriverLibrary = nullptr;
  std::string DriverPath;
  std::string DriverLoadFailure;
  // The longest wait for the end of an acquisition; a board that never finishes must not
  // hold the window for ever.
  int32_t PollTimeoutMs = 3000;

  // Call layer: the code of the last library call, and the error a failing call raises.
  int32_t DaqLastError = 0;
  int32_t DaqRaiseNumber = 0;
  // Inside an acquisition routine a failing line write ends the routine; outside one it
  // is reported once per event and the sequence goes on.
  int RoutineDepth = 0;
  bool LineErrorShown = false;
  std::string LastBoardError;  // the text of the last board error box
  // A transient capture is armed and fired; the housekeeping tick polls it.
  bool TransientArmed = false;

  // Acquisition parameters.
  int32_t ScanStride = kScanStride;
  int32_t ScanCount = kScanCount;
  int32_t AdcRate = 5120;
  float DacRate = 5120;
  int32_t DacUpdateCount = kDacUpdateCount;
  float BoardOptionValue0 = 0.0f, BoardOptionValue1 = 3.0f;
  float TriggerLevelVolts = 0, TriggerHysteresis = 0.01f;
  float GainPeakG = 0;
  float TriggerLevel = 1;  // transient-capture trigger level
  int16_t AdcZero = 0;     // count of 0 G
  int32_t PortConfig = 0;

  // Scan tables: entry e of a board's scan list; gains 0..15 belong to channels 1..16.
  std::array<int32_t, kScanStride + 1> ScanChannels{};
  std::array<int32_t, kChannels + 1> ScanGains{};
  std::array<int32_t, kScanStride + 1> ScanFlags{};
  std::array<float, kChannels + 1> ChannelScale{};  // counts per G of channel k at index k
  std::array<float, kChannels + 1> SensitivityCopy{};

  // Samples of the last pulse, interleaved by scan entry; element 8192 of the transfer
  // buffers is never filled, so the scan buffers end at 8191.
  std::array<int16_t, kScanCount * kScanStride> ScanBuffer{};
  std::array<int16_t, kScanCount * kScanStride> SlaveScanBuffer{};
  std::array<int16_t, kScanBufferSize> MasterXferBuffer{};
  std::array<int16_t, kScanBufferSize> SlaveXferBuffer{};
  // Output codes, unsigned bit patterns held in 16 bits: 32768 = 0 V.
  std::array<int16_t, kDacBufferSize> DacBuffer0{};
  std::array<int16_t, kDacBufferSize> DacBuffer1{};
  // False once a set-up has cleared the output buffers, until the drive is built into them
  // again: an equalised system must not go on playing the cleared buffers.
  bool DriveBuffersLoaded = false;

  int32_t SerialWordLow = 0;
  int32_t SerialWordHigh = 0;
  int32_t CurrentSourceByte = 0;
  // What the digital lines were last given, for the tests.
  int32_t LastShiftedByte = -1;
  int32_t SerialWordsSent = 0;
  int32_t LastSentWordLow = -1, LastSentWordHigh = -1;
  int32_t LastPort1Handle = -1, LastPort1Value = -1;
  int32_t Port1Writes = 0;
};

}  // namespace daq
