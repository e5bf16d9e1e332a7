#pragma once
// Values the plot reads from modules that own them, each through one small door.
#include <array>
#include <cstdint>

#include "program/program.h"

namespace display {

// 1.0 while the remote-control file overrides the test level with RemoteLevelG.
inline float RemoteLevelOverride(const Program& p) {
  return p.run.RemoteLevelOverride;
}
inline float RemoteLevelG(const Program& p) {
  return p.run.RemoteLevelG;
}

// Counts per G of channel c (1..16).
inline float ChannelScale(const Program& p, int c) {
  return (c >= 0 && c < static_cast<int>(p.daq.ChannelScale.size())) ? p.daq.ChannelScale[c] : 0;
}

// Element `index` of a scan buffer; 0 past its ends (the last scan's successor included).
inline int16_t ScanSample(const std::array<int16_t, daq::kScanCount * daq::kScanStride>& b,
                          long index) {
  return (index >= 0 && index < static_cast<long>(b.size())) ? b[index] : 0;
}

}  // namespace display
