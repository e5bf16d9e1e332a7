#pragma once
// The procedure file: a title, a report name and a list of steps, each a profile run with
// its overrides or a pause for the operator. The whole file is checked before anything is
// driven; each error names the file, the line and the key.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Program;

namespace procedure {

enum class Polarity { Profile, Positive, Negative };
enum class EqualizeWhen { Auto, Always, Never };

// What the check found a pulse step will fire: the plan shown before anything runs.
struct StepPlan {
  std::string Shape;  // the pulse shape as the menu names it
  float DurationMs = 0;
  bool Negative = false;
  float LevelG = 0;  // the full level
  float PretestDb = 0;
  bool Judged = false;  // the profile's acceptance is on
  bool Shaped = false;  // the waveform control is on for the step
  float UnitSystem = 0;
  // The reference at the full level and the system limits, in the limits' units.
  float PeakA = 0, PeakV = 0, PeakD = 0;
  float LimitA = 0, LimitV = 0, LimitD = 0;
};

struct Step {
  std::string Name;
  std::string Pause;      // a pause step when not empty: its text for the operator
  std::string Profile;    // resolved against the procedure file's folder
  std::string Waveshape;  // custom shape file; empty keeps the shape in memory
  Polarity Polar = Polarity::Profile;
  double LevelPct = 100;         // of the profile's peak amplitude
  std::optional<int> Pulses;     // default: the profile's number of pulses
  std::optional<double> Period;  // seconds; default: the profile's repetition rate
  bool Pretest = true;
  int PretestPulses = 1;                // with Pretest; learning pulses when shaped
  std::optional<bool> WaveformControl;  // default: the profile's
  EqualizeWhen Equalize = EqualizeWhen::Auto;
  bool StopOnFail = true;
  // From the profile file at load time: the pulses and period the step will use.
  int PulsesToFire = 1;
  double PeriodToUse = 1;
  StepPlan Plan;
};

struct Procedure {
  std::string Path;    // the procedure file as given
  std::string Folder;  // its folder; relative names in it refer here
  std::string Title;
  std::string Report;  // the PDF, resolved
  std::vector<Step> Steps;
  // What the check would point out without refusing ("FILE:LINE: KEY: what").
  std::vector<std::string> Warnings;
};

// The amplitude, the pulses and the period are held to the prompts' bounds (profile/bounds.h).
inline constexpr int kMaxPretestPulses = 20;
inline constexpr std::size_t kMaxSteps = 1000;

// Parses `text` as the file `path` and checks every value, every profile and waveshape it
// names (read from the disk, relative to the file's folder). False with one line per error
// in `errors` ("FILE:LINE: KEY: what is wrong").
bool ParseProcedure(std::string_view text, const std::string& path, Procedure& out,
                    std::vector<std::string>& errors);
// Reads the file and parses it.
bool LoadProcedure(const std::string& path, Procedure& out, std::vector<std::string>& errors);

// The step's overrides in the record in memory, within the prompts' bounds: its level,
// polarity, pulses and period in repetitive mode, and its stop-on-fail choice.
void ApplyStepOverrides(Program& p, const Step& s);

// The report's name for an earlier report kept beside it: NAME.1.pdf, NAME.2.pdf ..., the
// first that is free ("" when none can be found).
std::string KeptReportName(const std::string& report);
// Moves an earlier report at `report` out of the way under KeptReportName; true when there
// is none or it was moved, else false with the reason.
bool KeepEarlierReport(const std::string& report, std::string& why);

}  // namespace procedure
