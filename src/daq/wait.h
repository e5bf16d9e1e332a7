#pragma once
// The long waits of a run (the scans of a pulse, the passes of an equalisation) keep the
// window live and let Abort through; every other command waits for the handler to end.
#include "program/program.h"

namespace daq {

// Thrown out of a wait once Abort was asked for; the entry point catches it and stops
// the run as the Abort command does.
struct RunAborted {};

// The longest slice of a wait: Abort acts within this and the unwinding after it.
inline constexpr int kWaitSliceMs = 10;

// How often a wait reads the remote Abort sources (input line, control file) itself, so
// that they act as soon as the window's Abort does rather than at the 250 ms housekeeping.
inline constexpr double kRemoteAbortPollMs = 50;

// Lets the window run for up to `ms`, reads the remote Abort sources when they are due,
// then throws RunAborted if Abort was asked for.
void WaitSlice(Program& p, int ms);
// Throws RunAborted if Abort was asked for.
void ThrowIfAborted(const Program& p);

}  // namespace daq
