#pragma once
// The remote Abort sources, read while a handler is busy.
#include "program/program.h"

namespace daq {
// While a handler is busy: asks for Abort when the remote input line or the control file
// commands it. Nothing is consumed, run or reported; the regular poll does that later.
void PollAbortWhileBusy(Program& p);
}  // namespace daq
