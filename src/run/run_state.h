#pragma once
// The run variables of the sequencer. The run state itself lives in the Run menu marks.
#include <cstdint>
#include <string>

#include "run/stop_cause.h"

namespace run {

enum class Run { Idle, Equalize, PreTest, FullLevel };

struct RunState {
  float LevelFactor = 1.0f;
  int32_t PulseCount = 0;
  float ManualLevel = 1.0f;
  int32_t DrivePeakCounts = 0;  // 400 counts per volt, at most 4000
  // Set while an event handler runs: a second event arriving meanwhile is dropped.
  bool Busy = false;
  // Abort arrived while a handler was busy: its long work stops at the next slice and the
  // entry point then stops the run, in the name of the source that asked.
  bool AbortRequested = false;
  Source AbortFrom = Source::None;
  // How the current (or the last) run ended; None from the moment a run begins.
  StopCause Stop;
  double LastAbortPollMs = -1e18;  // when a wait last read the remote Abort sources
  bool Ended = false;              // the program has ended
  // Printer settings saved at start-up and restored at exit.
  int SavedPrinterInt = 0;
  float SavedPrinterFloat = 0;

  // Remote control: the last word of the remote input lines and the last record of the
  // control file. While RemoteLevelOverride is 1.0 every redraw takes RemoteLevelG as the
  // test level.
  int16_t RemoteInputWord = 0;
  float RemoteCommand = 0;
  std::string RemoteKey;
  float RemoteLevelG = 0;
  float RemoteLevelOverride = 0;
  // Where the control file is polled; empty until the first poll resolves it.
  std::string ControlFilePath;
};

// Abort arrived while a handler was busy: the first source to ask is the one named.
inline void RequestAbort(RunState& r, Source from) {
  if (!r.AbortRequested) r.AbortFrom = from;
  r.AbortRequested = true;
}

}  // namespace run
