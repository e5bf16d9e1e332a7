#pragma once
#include "app/program.h"

namespace display {
// The one redraw operation of the plot; it also measures the peaks, recomputes the
// reference kinematics with their limit check and refreshes the status panel.
void RefreshPlot(Program& p);
}  // namespace display
