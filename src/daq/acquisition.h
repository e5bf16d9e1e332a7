#pragma once
// Acquisition set-up, input gains and channel scales, and the arm, fire and collect
// sequences of one pulse.
#include "program/program.h"

namespace daq {

// Acquisition defaults, cleared buffers and scan tables; also sets the pre-test level to 5 dB.
void InitAcquisition(Program& p);
// A gain code per channel from the expected peak in mV: GainPeakG x sensitivity.
void SelectInputGains(Program& p);
// Counts per G of channels 1..16 from their gain codes and sensitivities.
void ComputeChannelScales(Program& p);

// The gain code for an expected peak of x mV: 0 at 1000 mV and above .. 4 below 125 mV.
int GainCodeFor(double x);

// The four board routines; each ends at its first failure with one "Error!" box and
// then returns false.
bool ArmMaster(Program& p);
bool ArmSlave(Program& p);
bool FireAndCollect(Program& p);
bool FireAndCollectPair(Program& p);

// Arms the slave, its scan list carrying the gain codes of channels 9 to 16, fires both
// boards and puts the master's codes back.
bool ArmSlaveAndFirePair(Program& p);

// The hardware half of one pulse: arm, fire and collect on one board or on both. False
// when a routine failed: nothing after the failure was fired, and the samples are not to
// be used.
bool AcquirePulse(Program& p);

// Transient capture on the master board: arms it, plays the drive and returns with the
// inputs waiting for their level start (TransientArmed).
bool ArmTransientCapture(Program& p);
enum class TransientState { Armed, Recorded, Failed };
// One look at the armed capture: still waiting, recorded (samples collected, boards
// disarmed), or failed (reported in its box).
TransientState PollTransientCapture(Program& p);

// Disarms the outputs and inputs of every open board, best effort: a failure is
// reported once per event.
void DisarmBoards(Program& p);

}  // namespace daq
