#pragma once
// Axis labels, zoom and the cursor read-out.
#include "app/program.h"

namespace display {
void ZoomSpin(Program& p, ui::SpinId spin, bool up);
void PlotMouseDown(Program& p, double x, double y);
}  // namespace display
