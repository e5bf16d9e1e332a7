#pragma once
// Values the plot reads from modules that own them, each through one small door. The
// remote level override arrives with the remote control; until its owner has the fields,
// the door answers with the values the owner starts from (override off).
#include <array>
#include <cstdint>

#include "app/program.h"

namespace display {
namespace detail {

template <typename Run>
float RemoteLevelOverrideOf(const Run& r) {
  if constexpr (requires { r.RemoteLevelOverride; })
    return static_cast<float>(r.RemoteLevelOverride);
  else
    return 0.0f;
}

template <typename Run>
float RemoteLevelGOf(const Run& r) {
  if constexpr (requires { r.RemoteLevelG; })
    return static_cast<float>(r.RemoteLevelG);
  else
    return 0.0f;
}

}  // namespace detail

inline float RemoteLevelOverride(const Program& p) {
  return detail::RemoteLevelOverrideOf(p.run);
}
inline float RemoteLevelG(const Program& p) {
  return detail::RemoteLevelGOf(p.run);
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
