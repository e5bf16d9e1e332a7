#pragma once
// The drive shaped between pulses from the measured response: the target, the corrections,
// the guard and the give-up rule. Volts are the drive's own (the sign the output plays), G
// the control channel's with the polarity, so the polarity is in the target and the
// response, not in this arithmetic.
#include <array>
#include <span>

#include "shaping/settings.h"
#include "shaping/spectra.h"

namespace shaping {

inline constexpr double kGuardGrowth = 1.5;   // J past this x the best J: back to the best drive
inline constexpr double kOvershoot = -0.7;    // successive errors correlating below: alpha halved
inline constexpr int kProgressPulses = 5;     // full-level failing pulses ...
inline constexpr double kProgressFall = 0.1;  // ... over which J must fall by this fraction

// What one profile and level set has learnt; cleared wherever the equalisation is.
struct State {
  Estimate Est;
  bool HasTarget = false;
  std::array<double, kRecord> Target{};       // G per G of level, delayed by the alignment
  std::array<double, kLines> TargetEnergy{};  // |T|^2 of the weighted target
  int Corrections = 0;
  int Halvings = 0;  // the guard halves the correction gain
  bool HasBest = false;
  double BestJ = 0, BestLevel = 0;
  std::array<double, kRecord> BestDrive{};  // volts per G of level
  double LastJ = 0, LastLevel = 0;
  std::array<double, kRecord> LastError{};       // e of the last pulse, G
  std::array<double, kProgressPulses> Recent{};  // J of the last full-level failing pulses
  int RecentCount = 0;
  std::array<float, kRecord> Drive{};  // the next pulse's drive in volts
};

void Reset(State& s);

// One pulse as fired and recorded.
struct Pulse {
  std::span<const float> Drive;      // volts actually played (after quantisation)
  std::span<const float> Response;   // control channel, G
  std::span<const float> Reference;  // G at this pulse's level, with the polarity
  double Level = 0;                  // L: LevelFactor x TestLevelG
  double PulseSamples = 0;           // T in samples
  int ShiftSamples = 0;              // the acceptance alignment (the first pulse's is kept)
  bool FullLevel = false;
  bool Fails = false;  // acceptance on and the pulse fails it
};

// The pulse to come.
struct Next {
  double Level = 0;
  double SynthesisedPeakVolts = 0;  // the synthesised drive's peak at that level
  double LimitVolts = 0;            // the largest peak the drive limit allows
};

enum class Step {
  Shaped,    // a new correction in State::Drive
  Reverted,  // the error grew: State::Drive is the best drive, the gain halved
  Slowed,    // the correction overshot (the error turned over): corrected, the gain halved
  Skipped,   // an unusable record (not finite, no level): nothing learnt
  GiveUp,    // the run must stop: see Reason
};
enum class Reason { None, DrivePeak, DriveLimit, NoProgress };

struct Outcome {
  Step step = Step::Skipped;
  Reason reason = Reason::None;
  double Measure = 0;   // DrivePeak: x synthesised; DriveLimit: volts; NoProgress: % fallen
  double Limit = 0;     // the figure it was held against
  double J = 0;         // sum of e^2 / L^2 of the recorded pulse
  double ErrorPct = 0;  // its rms error in % of the target's
  double Alpha = 0;     // the correction gain in force
};

// The target and its error weight: 1 up to 10 T, a cosine to 0 at 11 T.
void SetTarget(State& s, Workspace& w, std::span<const float> reference, double level, int shift,
               double pulseSamples);
double ErrorWeight(int i, double pulseSamples);

// Learns from one pulse and makes the next drive (State::Drive, at Next::Level): the first
// pulse sets the target and gives the first correction from its drive with a least-squares
// level step; each later one corrects the drive it played. A GiveUp leaves the drive as it
// would have been.
Outcome Learn(State& s, Workspace& w, const Settings& set, const Pulse& in, const Next& next);

// Largest |x|; a sample that is not finite counts as infinite.
double PeakOf(std::span<const float> x);

}  // namespace shaping
