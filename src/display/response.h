#pragma once
// One response channel's acceleration, velocity and displacement from the scan buffers:
// the plot and the printed page draw the same values.
#include <array>

#include "program/program.h"

namespace display {

using Points = std::array<float, profile::kWaveSamples>;

struct ResponseTraces {
  Points Accel{}, Velocity{}, Displacement{};
};

// The sample factor as the traces use it: a factor outside 1..8 would only come from a
// broken record; it counts as 1 rather than dividing by nothing.
double SampleFactorOf(const Program& p);

// Points 3..1022 of channel c (1..16): the 4-point mean (or single samples) in G, and
// its running sums with the steps 0.08 / (0.25 M) and dispStep / (0.25 M), both decaying
// by 0.9 a point after 9.1 pulse widths.
void ComputeResponse(const Program& p, int c, double dispStep, ResponseTraces& out);

}  // namespace display
