#pragma once
// The physical shaker of the simulated board: a voltage amplifier with a delay, the coil,
// the armature as two masses on a spring, the suspension and an optional fixture mass,
// integrated exactly for the drive held between updates.
#include <string>
#include <vector>

namespace daqsim {

constexpr int kMaxStates = 9;  // a1, a2 / wa, i, x_c, v_c, x_t, v_t, x_f, v_f
constexpr double kStandardG = 9.80665;

enum class PlantKind { Ideal, Shaker, Fixture };

// SI units throughout; the defaults are the rigid light fixture.
struct PlantParams {
  double AmpGain = 31.4;  // V/V
  double AmpHz = 10000;   // corner of the 2nd-order Butterworth band
  double ClipV = 0;       // soft clipping of the amplifier's input, DAC volts; 0: none
  double DelayS = 100e-6;
  double CoilR = 1.0, CoilL = 0.25e-3, Bl = 30;
  double CoilKg = 0.8, TableKg = 2.2;
  double SuspK = 3.0e4, SuspC = 30;
  double ArmHz = 4500, ArmZeta = 0.03;
  double FixKg = 0, FixHz = 500, FixZeta = 0.03;  // FixKg 0: no fixture
};

struct PlantConfig {
  PlantKind Kind = PlantKind::Ideal;
  PlantParams P;
  bool AtFixture[16] = {};  // per channel 1..16: the accelerometer is on the fixture mass
  double StrokeMm = 25;
  std::string Error;  // the variable at fault and why; empty when every value is sound
};

// Reads DAQSIM_PLANT, its overrides and DAQSIM_STROKE_MM from the environment.
PlantConfig ReadPlantConfig();

// x[k+1] = Phi x[k] + G0 q[k - n] + G1 q[k - n - 1], x[0] = 0; the scan k reads x[k], so it
// depends only on the drive before it.
struct Discrete {
  int States = 0;
  long DelaySamples = 0;  // n, the whole samples of the delay
  double Phi[kMaxStates][kMaxStates] = {};
  double G0[kMaxStates] = {}, G1[kMaxStates] = {};
  double AccelTable[kMaxStates] = {}, AccelFix[kMaxStates] = {};  // m/s^2 from the state
  double AmpGain = 0;
};

Discrete Discretise(const PlantParams& p, double rate);

struct PlantSample {
  double AccelTableG, AccelFixG, TableM, TableMs, CoilA, AmpV;
};

// The motion from rest for one play of the drive; q[j] is the amplifier's input over scan
// j, the last value held beyond the end.
struct PlantRun {
  std::vector<double> Q;
  std::vector<PlantSample> Out;
  double X[kMaxStates] = {};
};

// Extends run.Out to cover scan `last`.
void Extend(const Discrete& d, PlantRun& run, long last);

}  // namespace daqsim
