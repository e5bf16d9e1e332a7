#pragma once
#include "app/program.h"

namespace control {
// One pulse: drive amplitude, acquisition (or the demo simulation), the copy into the
// scan buffers, the control-channel peak ControlPeakG and PulseCount.
void CaptureAndAnalyze(Program& p);
}  // namespace control
