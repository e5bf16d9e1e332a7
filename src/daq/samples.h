#pragma once
// The recorded samples as every reader takes them: a channel's counts per G, one element of
// a scan buffer, the record's sample factor, and a channel's sample in G (one reading for the
// plot, the checks, the spectra and the files).
#include <array>
#include <cmath>
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
