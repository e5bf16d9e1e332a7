#pragma once
// Hardware state, scan buffers and drive output values.
#include <array>
#include <cstdint>

namespace daq {

inline constexpr int kScanCount = 1024;
inline constexpr int kScanStride = 8;

struct State {
  float DemoMode = 0;  // 1.0 = demo mode
  int32_t MasterHandle = -1;
  int32_t SlaveHandle = -1;
  int32_t ActiveHandle = -1;
  int16_t SixteenChannelFlag = 0;
  int32_t BoardAddress = 0;
  int32_t AdcRate = 5120;
  std::array<int16_t, kScanCount * kScanStride> ScanBuffer{};
  std::array<int16_t, kScanCount * kScanStride> SlaveScanBuffer{};
  int32_t SerialWordLow = 0;
  int32_t SerialWordHigh = 0;
  int32_t CurrentSourceByte = 0;
  float GainPeakG = 0;
  float TriggerLevel = 1;  // transient-capture trigger level
  // Last digital output, for the tests: port values written.
  int32_t LastShiftedByte = -1;
};

}  // namespace daq
