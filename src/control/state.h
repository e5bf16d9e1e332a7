#pragma once
// Closed-loop values: the control-channel peak, equalisation and trips.
#include <cstdint>
#include <string>

struct Program;

namespace control {

struct State {
  float ControlPeakG = 0;     // 0 until the first capture, then at least 0.1
  float SystemEqualized = 0;  // 1.0 after a successful equalisation
  int16_t TripCode = 0;       // 0 none .. 7 low gain
  std::string TripMessage;
  // Peaks of the last full-level pulse, kept for the trip checks and the plots.
  float LastPeakA = 0, LastPeakV = 0, LastPeakD = 0;
  // The last pulse failed on the board: nothing of it is a response.
  bool PulseFailed = false;
  // Pulses captured since start-up, never reset: a procedure counts its pulses by it.
  int64_t Captures = 0;
  // Stands in for the capture of one pulse when set: tests plug a plant model in here.
  void (*PulseSource)(Program&) = nullptr;
};

}  // namespace control
