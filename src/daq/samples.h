#pragma once
// The recorded samples as every reader takes them: a channel's counts per G, one element of
// a scan buffer, and the record's sample factor.
#include <array>
#include <cstdint>

#include "program/program.h"

namespace daq {

// Counts per G of channel c (1..16).
inline float ChannelScale(const Program& p, int c) {
  return (c >= 0 && c < static_cast<int>(p.daq.ChannelScale.size())) ? p.daq.ChannelScale[c] : 0;
}

// Element `index` of a scan buffer; 0 past its ends (the last scan's successor included).
inline int16_t ScanSample(const std::array<int16_t, kScanCount * kScanStride>& b, long index) {
  return (index >= 0 && index < static_cast<long>(b.size())) ? b[index] : 0;
}

// The sample factor as the traces use it: a factor outside 1..8 would only come from a
// broken record; it counts as 1 rather than dividing by nothing.
inline double SampleFactorOf(const Program& p) {
  const int m = p.wave.SampleFactor;
  return (m >= 1 && m <= 8) ? m : 1;
}

}  // namespace daq
