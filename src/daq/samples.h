#pragma once
// A channel's recorded sample in G: one reading for the plot, the checks, the spectra and
// the files.
#include <cmath>
#include <cstdint>

#include "daq/state.h"

namespace daq {

// Counts from the zero in G at `scale` counts per G; 0 for an unusable scale.
inline double CountsToG(int32_t counts, float scale) {
  return std::isfinite(scale) && scale != 0 ? counts / static_cast<double>(scale) : 0.0;
}

// Scan i of channel c (1..8 on the master board, 9..16 on the slave) in G: its counts less
// the count of 0 G over the channel's counts per G, in double precision (a caller that
// keeps single precision rounds it once). A channel without a usable calibration reads 0
// rather than infinities, and so does a scan past the buffer's ends.
inline double ChannelSampleG(const State& d, int c, long i) {
  if (c < 1 || c > kChannels) return 0;
  const auto& b = c <= 8 ? d.ScanBuffer : d.SlaveScanBuffer;
  const long index = i * d.ScanStride + (c <= 8 ? c - 1 : c - 9);
  if (index < 0 || index >= static_cast<long>(b.size())) return 0;
  return CountsToG(int32_t{b[index]} - d.AdcZero, d.ChannelScale[c]);
}

}  // namespace daq
