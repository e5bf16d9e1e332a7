#pragma once
// The test sequencer: run commands, pacing timers, pulses and the end of a run.
#include "program/program.h"
#include "run/stop.h"

namespace app {

using run::Run;
using run::RunStateOf;

void EqualizeCommand(Program& p);
void PreTestCommand(Program& p);
void StartCommand(Program& p);
void PreTestPulse(Program& p);
void FullLevelPulse(Program& p);
// Housekeeping: one look at an armed transient capture; a recorded event completes the
// full-level pulse.
void TransientTick(Program& p);
void EndOfRun(Program& p);
// Channel 1 response becomes the view, as after every pulse.
void ShowControlResponse(Program& p);
void SpnLevel(Program& p, bool up);
void TimerTick(Program& p, ui::TimerId id);

}  // namespace app
