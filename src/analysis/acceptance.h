#pragma once
// Acceptance of one recorded pulse against its reference: alignment, peak, width, velocity
// change and a tolerance band, with a verdict. Plain arrays in, plain numbers out.
#include <span>
#include <string>

namespace analysis {

enum class Verdict { Pass, FailPeak, FailWidth, FailVelocity, FailBand };

struct AcceptanceResult {
  double ShiftMs = 0;  // the response lags the reference by this much
  double PeakG = 0, NominalPeakG = 0, PeakPct = 0;
  double WidthMs = 0, NominalWidthMs = 0, WidthPct = 0;
  double VelocityChange = 0, NominalVelocityChange = 0, VelocityChangePct = 0;
  double WorstBandPct = 0;  // signed deviation from the reference, in % of the nominal peak
  double WorstBandMs = 0;   // its time on the reference's time axis
  int SamplesOutside = 0;
  Verdict verdict = Verdict::Pass;
  int ShiftSamples = 0;
};

// The operator's figures; the defaults are this program's own, not any standard's.
struct Tolerances {
  double PeakPct = 15, WidthPct = 15, VelocityPct = 15;
  double BandInsidePct = 15, BandOutsidePct = 15;
  double WindowBefore = 0.4, WindowAfter = 1.5;  // in nominal durations
  // The band leaves out +- this % of the duration around the reference's jumps (a step of
  // more than half the nominal peak between two samples, as a sawtooth's fall).
  double EdgePct = 0;
};

// Velocity per G and second in each unit system's velocity unit (in/s, cm/s, cm/s).
inline constexpr double kInchesPerSecondPerG = 386.09;
inline constexpr double kCentimetresPerSecondPerG = 980.665;
double VelocityPerGSecond(float unitSystem);

// The reference and the response of one pulse, as the checks judge them.
struct PulseTraces {
  std::span<const float> Reference;  // in G, with its polarity, at the level fired
  std::span<const float> Response;   // in G, same length and time base
  double SampleRate = 1280;          // samples per second
  double PulseSamples = 0;           // nominal duration D in samples; main pulse 4D..5D
  double VelocityPerG = kInchesPerSecondPerG;
};

// The measures and the verdict of one response. The nominal peak is the largest
// |reference| in the main pulse; every measure uses the response aligned by the whole-sample
// shift within half a duration that best correlates it with the reference over the main
// pulse. A percentage whose nominal figure is 0 reads 100 when the measure is 0 too, and
// 9999 otherwise.
AcceptanceResult JudgePulse(const PulseTraces& r, const Tolerances& tol);

// The verdict's texts, every one of them here.
inline constexpr char kPassText[] = "PASS";
inline constexpr char kFailText[] = "FAIL";
inline constexpr char kNotJudgedText[] = "not judged";  // a pulse judged by nobody
// A procedure that completed with pulses not judged: no PASS can be claimed for it.
inline constexpr char kCompletedNotJudgedText[] = "COMPLETED - NOT JUDGED";
// The verdict as files and tables write it: "PASS", or "FAIL " and the first failing measure
// ("FAIL velocity change").
const char* VerdictCell(Verdict v);
// The upper-case name of the first failing measure ("VELOCITY CHANGE"), "" for a pass.
const char* VerdictName(Verdict v);
// The verdict as a procedure's report, status and console give it: "PASS" or
// "FAIL VELOCITY CHANGE".
std::string VerdictWord(Verdict v);
// The failing measure's figure in %, as the status line shows it.
double VerdictFigure(const AcceptanceResult& r);
// The failing measure with its figure: "PEAK 80 %".
std::string FailingMeasure(const AcceptanceResult& r);
// The status line's and the printed page's: "TOLERANCE PASS" or "TOLERANCE FAIL - PEAK 80 %".
std::string VerdictText(const AcceptanceResult& r);

// The band's half-width around reference sample i, in G, or a negative value outside the
// band's window.
double BandHalfWidth(const PulseTraces& r, const Tolerances& tol, double nominalPeak, int i);

}  // namespace analysis
