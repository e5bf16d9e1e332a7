#pragma once
// The run variables of the sequencer. The run state itself lives in the Run menu marks.
#include <cstdint>

namespace app {

struct RunState {
  float LevelFactor = 1.0f;
  int32_t PulseCount = 0;
  float ManualLevel = 1.0f;
  int32_t DrivePeakCounts = 0;  // 400 counts per volt, at most 4000
  // Set while an event handler runs: a second event arriving meanwhile is dropped.
  bool Busy = false;
  bool Ended = false;  // the program has ended
  // Printer settings saved at start-up and restored at exit.
  int SavedPrinterInt = 0;
  float SavedPrinterFloat = 0;
};

}  // namespace app
