#pragma once
// The test sequencer: the run commands, the pulses they pace and the end of a run.
#include "control/stop.h"
#include "program/program.h"

namespace sequencer {

using control::RunStateOf;
using run::Run;

void EqualizeCommand(Program& p);
void PreTestCommand(Program& p);
void StartCommand(Program& p);
void PreTestPulse(Program& p);
void FullLevelPulse(Program& p);
// Housekeeping: one look at an armed transient capture; a recorded event completes the
// full-level pulse.
void TransientTick(Program& p);
void EndOfRun(Program& p);
void SpnLevel(Program& p, bool up);

}  // namespace sequencer
