#pragma once
// The run state (read from the Run menu marks) and the one way a run is stopped.
#include "program/program.h"
#include "run/stop_cause.h"

namespace control {

using run::Run;

Run RunStateOf(const Program& p);

// The status line once a stop ended an equalisation before its verdict.
inline constexpr const char* kEqualizationStoppedText =
    " SYSTEM NOT EQUALIZED - Equalization Stopped.";

// A run begins: its cause is cleared, to be set by how it ends.
void BeginRun(Program& p);
// A run ended as planned (its pulses, its equalisation): Completed, unless a stop said more.
void EndRunCompleted(Program& p);

// Stops whatever runs: the marks off, an armed equalisation or transient capture cancelled,
// every open board disarmed and the drive word 0,0. The first cause since the run began is
// the run's; a later stop (a procedure finishing after a trip) does not overwrite it.
void StopTest(Program& p, run::StopCause why);

}  // namespace control
