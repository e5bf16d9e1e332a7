#pragma once
// A procedure in progress: its file, where it stands, and what each step did.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/acceptance.h"
#include "procedure/kept_page.h"
#include "procedure/procedure_file.h"

namespace procedure {

enum class Phase { Off, NextStep, Equalizing, Running, Finished };

// How a procedure ended; the exit status of the command follows from it.
enum class Ending { Running, Completed, Failed, Tripped, BoardError, Aborted, NoOperator };

// The verdict of one full-level pulse, as far as it was judged.
struct PulseJudgement {
  bool Judged = false;
  bool Pass = true;
  std::string Text = analysis::kNotJudgedText;  // "PASS", "FAIL PEAK" once judged
  double PeakPct = 0, WidthPct = 0, VelocityPct = 0, WorstBandPct = 0;
};

// One pulse a procedure step fired, as its report and the console list it.
struct StepPulse {
  std::string Time;
  bool Pretest = false;
  float LevelG = 0;
  float ControlPeakG = 0;
  int32_t DriveCounts = 0;
  PulseJudgement Verdict;
  bool Shaped = false;  // the waveform control shaped its drive
  double ErrorPct = 0;  // its waveform error, % rms of the target
};

struct StepResult {
  bool Ran = false;
  int Fired = 0;  // full-level pulses
  int Passed = 0, Failed = 0, NotJudged = 0;
  bool Equalized = false;
  float SystemGain = 0;  // G per volt, after its equalisation
  std::string Ended;     // how the step ended, for the report
  std::vector<StepPulse> Pulses;
  KeptPage Page;  // the printed page of its last full-level pulse
};

// The gain an equalisation found, for a later step of the same profile and level.
struct KnownGain {
  std::string Profile, Waveshape;
  double LevelPct = 0;
  float DriveGain = 0;
};

struct State {
  Phase At = Phase::Off;
  Procedure Proc;
  std::size_t StepIndex = 0;
  // Pulses the program had captured when the current phase began.
  int64_t CapturesSeen = 0;
  bool AbortPending = false;  // an Abort unwound the procedure's own work
  std::vector<StepResult> Steps;
  std::vector<KnownGain> Gains;
  Ending End = Ending::Running;
  std::string EndText;  // the trip, the board error, the failing measure
  std::string Started, Finished;
  std::string Zone;                  // the zone Started, Finished and the pulse times are in
  std::string Mode;                  // "demo" or the driver's file
  std::string WorkFolder;            // the folder relative names refer to
  std::unique_ptr<ui::Printer> Pdf;  // the report's own document
  bool ReportWritten = false;
  std::string ReportError;  // why the report could not be written
};

}  // namespace procedure
