#pragma once
// Remote control: the four remote input lines of the board and the control file that
// another program writes. Both are polled by the housekeeping timer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "daq/control_file.h"
#include "program/program.h"

namespace app {

// Remote input lines, active low: bit 0 Equalize, bit 1 Abort, bit 2 Start, bit 3
// Pre-test, in that order; a line held low repeats its command at every poll.
void RunRemoteInputs(Program& p, int16_t word);
// Hardware mode with the PCI interface only: reads the lines and runs their commands.
void PollRemoteInputs(Program& p);
// Reads and consumes the control file's record and acts on it; file errors end the poll
// silently and the next tick tries again.
void PollControlFile(Program& p);

// Inputs menu items: each toggles its mark and switches its poll.
void ToggleRemoteInputs(Program& p);
void ToggleControlFile(Program& p);

}  // namespace app
