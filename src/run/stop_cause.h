#pragma once
// Why a run ended. The stop itself says it once; the history, the procedure and its report,
// the headless exit status and the status panel read it and never work it out again.
#include <string>

namespace run {

enum class Stop {
  None,            // no run has ended since the current one began
  Completed,       // its pulses were fired, or its equalisation ran to its end
  Aborted,         // by one of the Abort sources
  Trip,            // a trip check after a pulse (code and message)
  LimitRefused,    // a pulse beyond a system limit was not fired (which limit)
  BoardError,      // a board call failed (the call and its text)
  AcceptanceFail,  // a FAIL that stopped the run (the failing measure)
  NoDrive,         // no drive synthesised from the current profile
  ProgramClosed,   // the program ended in the middle of the run
  Interrupted,     // found without an end at the next start (killed, power lost)
  WaveformGiveUp,  // the waveform control could not make the response follow (its measure)
};

enum class Source { None, Operator, Key, RemoteInput, ControlFile, Signal, WindowClosed };

struct StopCause {
  Stop Kind = Stop::None;
  Source From = Source::None;  // who asked for the Abort
  int Code = 0;                // the trip code of a trip or limit refusal
  std::string Detail;          // trip message, limit, board error, failing measure

  // A stop that cut the run short (not None, not Completed).
  bool CutShort() const { return Kind != Stop::None && Kind != Stop::Completed; }
};

StopCause Completed();
StopCause AbortedBy(Source from);
StopCause TripOf(int code, std::string message);
StopCause LimitOf(int code, std::string limit);
StopCause BoardErrorOf(std::string text);
StopCause AcceptanceFailOf(std::string failing);
StopCause NoDrive();
StopCause ProgramClosed();
StopCause WaveformGiveUpOf(std::string measure);

// The kind's own words: "completed", "aborted", "trip", "board error" ...
const char* StopName(Stop kind);
// Who aborted, in words: "the operator", "key A" ...; empty for None.
const char* SourceName(Source from);
// One line: the kind with what it carries ("trip: OVER TEST", "aborted by key A").
std::string StopText(const StopCause& c);

}  // namespace run
