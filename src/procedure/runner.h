#pragma once
// Runs a checked procedure through the program's own commands, one step after the other:
// the step's profile opened as File > Open does, its overrides in memory, equalisation when
// asked, the pre-test pulse, then its full-level pulses at its period. It stops at the
// first trip, board error, acceptance FAIL (when the step says so) or Abort.
#include <string>

#include "program/program.h"

namespace procedure {

// Takes the procedure; the next event starts it (EventKind::Procedure does nothing else).
// False, with a box, when it cannot run: another procedure runs, or the control mode is
// Transient.
bool Begin(Program& p, Procedure proc);
// True from Begin until the procedure has finished and its report is written.
bool Active(const Program& p);
bool Finished(const Program& p);
// Called by the entry point after every event: moves the procedure on.
void AfterEvent(Program& p);
// Test Run > Run Procedure...: a file dialog, then BeginFile.
void RunProcedureCommand(Program& p);
// Checks the file, shows its plan for a Yes and begins it; a refused file gets one box
// listing its errors.
bool BeginFile(Program& p, const std::string& path);

// 0 every step completed and no judged pulse failed; 1 a step failed, tripped, hit a board
// error or was aborted; 3 stopped at a pause with nobody to answer.
int ExitStatus(const Program& p);
const char* EndingText(Ending e);

// The status line while it runs: "PROCEDURE step 2 of 6, pulse 3 of 3".
std::string StatusText(const Program& p);

// Exit status of a procedure file that was refused.
inline constexpr int kRefusedExitStatus = 2;

}  // namespace procedure
