#include "control/trips.h"

#include <cmath>

#include "control/waveform.h"
#include "display/status_panel.h"
#include "profile/bounds.h"

namespace control {

namespace row = profile::row;

const char* TripText(int code) {
  switch (code) {
    case trip::OpenLoop:
      return " OPEN LOOP";
    case trip::LimitA:
      return " Acceleration > SYSTEM A LIMIT  ";
    case trip::LimitD:
      return " Displacement > SYSTEM D LIMIT  ";
    case trip::LimitV:
      return " Velocity > SYSTEM V LIMIT    ";
    case trip::OverTest:
      return " OVER-TEST ";
    case trip::UnderTest:
      return " UNDER-TEST  ";
    case trip::LowGain:
      return " LOW GAIN ";
    default:
      return nullptr;
  }
}

namespace {

// A product in double, kept as the single-precision value the comparison sees.
float Single(double v) {
  return static_cast<float>(v);
}

// The measured peaks in the units of the limits. The peaks are G, in/s and mils peak;
// the displacement limit is peak-to-peak in every unit system, so the peak is doubled
// (mils) or converted with 0.0508 (mm), as the status panel shows it. Limits held in a
// unit system without a row here are not checked.
struct LimitValues {
  float A, D, V;
};

bool ValuesInLimitUnits(float unitSystem, float a, float v, float d, LimitValues& out) {
  if (unitSystem == 0) {
    out = {a, Single(2.0 * d), v};
  } else if (unitSystem == 1) {
    out = {Single(a * 9.807), Single(d * 0.0508), Single(v * 2.54)};
  } else if (unitSystem == 2) {
    // Hybrid: G, cm/s and mm peak-to-peak.
    out = {a, Single(d * 0.0508), Single(v * 2.54)};
  } else {
    return false;
  }
  return true;
}

}  // namespace

void CheckTrips(Program& p) {
  float mode = p.Row(row::ControlMode);
  if (mode == 1 || mode == 2) return;

  // Inputs are taken before the first trip: a trip's stop may redraw and re-measure.
  const float peakA = p.plot.ResponsePeakA;
  const float peakV = p.plot.ResponsePeakV;
  const float peakD = p.plot.ResponsePeakD;
  const float lastPeakA = p.control.LastPeakA;
  const int32_t drive = p.run.DrivePeakCounts;
  const float level = p.run.LevelFactor;
  const float testLevel = p.plot.TestLevelG;
  const float abortDb = p.Row(row::AbortLevelDb);
  const float limitA = p.Row(row::LimitA);
  const float limitD = p.Row(row::LimitD);
  const float limitV = p.Row(row::LimitV);
  const float unitSystem = p.Row(row::UnitSystem);
  const float openLoopDb = p.Row(row::OpenLoopDb);

  auto trip = [&](int16_t code) {
    p.control.TripCode = code;
    RaiseTrip(p);
  };

  p.control.TripCode = trip::None;

  float openLoopCounts = Single(4000.0 - 40.0 * openLoopDb);
  if (drive > openLoopCounts) trip(trip::OpenLoop);

  LimitValues m;
  if (ValuesInLimitUnits(unitSystem, peakA, peakV, peakD, m)) {
    if (m.A > limitA) trip(trip::LimitA);
    if (m.D > limitD) trip(trip::LimitD);
    if (m.V > limitV) trip(trip::LimitV);
  }

  // An abort level above the prompt's bound turns the tolerance checks off.
  if (abortDb > profile::BoundsOf(row::AbortLevelDb).High) return;

  double k = std::exp(0.115 * abortDb);
  float overLimit = Single(level * k * testLevel);
  float underLimit = Single(testLevel * level / k);
  if (peakA > overLimit) trip(trip::OverTest);
  if (peakA < underLimit) trip(trip::UnderTest);
  if (lastPeakA < 0.25f && drive > 1000) trip(trip::LowGain);

  if (p.control.TripCode > 0) {
    p.control.SystemEqualized = 0;
    ClearWaveform(p);
  }
}

void RaiseTrip(Program& p, const char* boxText) {
  if (const char* text = TripText(p.control.TripCode)) p.control.TripMessage = text;
  // A refusal before firing names the limit; a trip after a pulse its check.
  const int code = p.control.TripCode;
  control::StopTest(p, boxText ? run::LimitOf(code, p.control.TripMessage)
                               : run::TripOf(code, p.control.TripMessage));
  // In hardware mode the stop has redrawn; in demo mode "ABORTED" must still show
  // before the box opens.
  if (p.daq.DemoMode == 1.0f) display::UpdateStatusPanel(p);
  p.platform.MessageBox(boxText ? std::string(boxText) : p.control.TripMessage, ui::Buttons::OK,
                        ui::Icon::None, kTripTitle);
}

}  // namespace control
