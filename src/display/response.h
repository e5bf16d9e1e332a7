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

// Points 3..1022 of channel c (1..16): the 4-point mean (or single samples) in G, and
// its running sums with the steps 0.08 / (0.25 M) and dispStep / (0.25 M), both decaying
// by 0.9 a point after 9.1 pulse widths.
void ComputeResponse(const Program& p, int c, double dispStep, ResponseTraces& out);

}  // namespace display
