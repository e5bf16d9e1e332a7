#pragma once
#include "app/program.h"

namespace control {

// One pulse: drive amplitude, acquisition (or the demo simulation), the copy into the
// scan buffers, the control-channel peak ControlPeakG and PulseCount. With an interface
// other than the PCI board no pulse is made and ControlPeakG is 0; a run in progress is
// then stopped with the message of PulseInterfaceReady.
void CaptureAndAnalyze(Program& p);

// True with the PCI interface. Otherwise stops the run and tells the operator that no
// pulse can be made: the callers divide by ControlPeakG, so a run must not go on.
bool PulseInterfaceReady(Program& p);

inline constexpr const char* kNoPulseMessage =
    " No shock pulse can be output: the Computer Interface is not the Daq1000 PCI Card.";
inline constexpr const char* kNoPulseTitle = " KRX-8 Error Message";

// The demo response: the drive-scaled reference plus uniform noise of +-5 counts,
// identical on the eight master channels.
void SimulateResponse(Program& p);
// The output buffers from DriveCodes: 8-bit offset codes to 16-bit output codes.
void BuildDriveBuffers(Program& p);

}  // namespace control
