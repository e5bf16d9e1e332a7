#pragma once
// Acquisition set-up, input gains and channel scales, and the arm, fire and collect
// sequences of one pulse.
#include "app/program.h"

namespace daq {

// Acquisition defaults, cleared buffers and scan tables; also sets the pre-test level to 5 dB.
void InitAcquisition(Program& p);
// A gain code per channel from the expected peak in mV: GainPeakG x sensitivity.
void SelectInputGains(Program& p);
// Counts per G of channels 1..16 from their gain codes and sensitivities.
void ComputeChannelScales(Program& p);

// The gain code for an expected peak of x mV: 0 at 1000 mV and above .. 4 below 125 mV.
int GainCodeFor(double x);

// The four board routines; each ends at its first failure with one "Error!" box.
void ArmMaster(Program& p);
void ArmSlave(Program& p);
void FireAndCollect(Program& p);
void FireAndCollectPair(Program& p);

// Arms the slave, its scan list carrying the gain codes of channels 9 to 16, fires both
// boards and puts the master's codes back.
void ArmSlaveAndFirePair(Program& p);

// The hardware half of one pulse: arm, fire and collect on one board or on both.
void AcquirePulse(Program& p);

}  // namespace daq
