#pragma once
#include "program/program.h"
#include "daq/acquisition.h"

namespace control {

// One pulse: drive amplitude, acquisition (or the demo simulation), the copy into the
// scan buffers, the control-channel peak ControlPeakG and PulseCount. With an interface
// other than the PCI board no pulse is made and ControlPeakG is 0; a run in progress is
// then stopped with the message of PulseInterfaceReady.
// A pulse that fails on the board (its box already shown) sets PulseFailed, releases the
// drive, disarms the boards and stops the run; nothing of it is analysed or counted.
void CaptureAndAnalyze(Program& p);

// True when a transient Start arms the board and returns (hardware, one board): the
// housekeeping tick then polls it.
bool TransientCaptureWaits(const Program& p);
// Sets the drive and arms the transient capture; a failure is a failed pulse.
void ArmTransientCapture(Program& p);
// One look at the armed capture; a recorded event is analysed as CaptureAndAnalyze does,
// a failure is a failed pulse.
daq::TransientState PollTransientCapture(Program& p);

// True with the PCI interface. Otherwise stops the run and tells the operator that no
// pulse can be made: the callers divide by ControlPeakG, so a run must not go on.
bool PulseInterfaceReady(Program& p);

inline constexpr const char* kNoPulseMessage =
    " No shock pulse can be output: the Computer Interface is not the Daq1000 PCI Card.";
inline constexpr const char* kNoPulseTitle = " KRX-8 Error Message";
inline constexpr const char* kNoDriveMessage =
    " No shock pulse can be output: the drive waveform was not made from the current profile.";

// The demo response: the drive-scaled reference plus uniform noise of +-5 counts,
// identical on the eight master channels.
void SimulateResponse(Program& p);
// The output buffers from DriveCodes: 8-bit offset codes to 16-bit output codes.
void BuildDriveBuffers(Program& p);

}  // namespace control
