#pragma once
// The window's three timers: the equalisation's settling delay, the pacing of the pulses and
// the housekeeping (transient capture, remote inputs, control file, cursor).
#include "program/program.h"

namespace app {
void TimerTick(Program& p, ui::TimerId id);
}  // namespace app
