#pragma once
// Pulse acceptance in the run: the settings in the profile, the program's records handed
// to the judgement, the status line and the band of the response view.
#include "program/program.h"

namespace analysis {

bool AcceptanceOn(const Program& p);
bool StopOnFail(const Program& p);
// The profile's figures, each 0 read as the program's default.
Tolerances TolerancesOf(const Program& p);

// The reference at the level of the last pulse (LevelFactor x TestLevelG, with the
// profile's polarity) into p.accept.Reference and channel c's single samples in G into
// p.accept.Response, and the time base around them.
PulseTraces ProgramPulse(Program& p, int c);
// The reference alone, with a response of zeros for the caller to fill.
PulseTraces ReferencePulse(Program& p);
AcceptanceResult JudgeChannel(Program& p, int c);

// After a full-level pulse: with acceptance on, judges channel 1 and shows the verdict.
// False for a FAIL with "stop the run" on: the sequencer then stops the run as a trip does.
bool AcceptPulse(Program& p);

// The status line: the last verdict, in green or red, shown while acceptance is on.
void ShowVerdict(Program& p);

// The band of the response view around the reference, moved by channel 1's shift so that
// it lies over the drawn response: point i of the plot holds Lower[i]..Upper[i] for
// First <= i <= Last (none when Last < First).
struct BandLines {
  int First = 0, Last = -1;
  std::array<float, profile::kWaveSamples> Upper{}, Lower{};
};
void ToleranceBand(Program& p, BandLines& out);

}  // namespace analysis
