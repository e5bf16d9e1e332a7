#pragma once
// The spectra of the program's own records: the reference pulse and the recorded channels
// in G, on the time base of the sampling frequency in force.
#include <cstdint>

#include "program/program.h"

namespace analysis {

// Bit c (1..16) of a channel set stands for channel c.
inline constexpr uint32_t ChannelBit(int c) {
  return c >= 1 && c <= 16 ? (uint32_t{1} << c) : 0;
}
// The active channels: 4, 8 or 16 as the boards are set up.
uint32_t ActiveChannels(const Program& p);

// The scan rate of the records, 1280 x the sample factor.
double RecordSampleRate(const Program& p);
// The main pulse: samples from 4 to 5 pulse widths.
SrsWindow MainPulseWindow(const Program& p);
// The quality factor stored in the profile, or the default when the row holds none.
double CurrentSrsQ(const Program& p);

// Lane 0: the reference in G (TestLevelG of the last refresh); lane c: the counts of
// channel c less AdcZero over its ChannelScale, single samples; every other lane zero.
void FillSrsInputs(const Program& p, uint32_t channels, SrsInputs& in);
// The spectra of the reference and `channels` at the profile's Q, into p.srs.
void ComputeProgramSrs(Program& p, uint32_t channels);

}  // namespace analysis
