#pragma once
// Trip and tolerance checks after a full-level pulse, and the one trip reporter.
#include "program/program.h"
#include "control/stop.h"

namespace control {

inline constexpr const char* kTripTitle = " KRX-8 Error Message";

// Codes of TripCode.
namespace trip {
inline constexpr int16_t None = 0;
inline constexpr int16_t OpenLoop = 1;
inline constexpr int16_t LimitA = 2;
inline constexpr int16_t LimitD = 3;
inline constexpr int16_t LimitV = 4;
inline constexpr int16_t OverTest = 5;
inline constexpr int16_t UnderTest = 6;
inline constexpr int16_t LowGain = 7;
}  // namespace trip

// The message of a trip code; nullptr for a code without one.
const char* TripText(int code);

// Auto mode only: open loop, system limits, tolerance band and low gain. Each failing
// check raises its own trip; any trip clears SystemEqualized.
void CheckTrips(Program& p);
// Reports the trip in TripCode: message, stop of the run, message box (the trip's message,
// or `boxText` when given, which is a pulse refused for a system limit).
void RaiseTrip(Program& p, const char* boxText = nullptr);

}  // namespace control
