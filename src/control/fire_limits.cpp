#include "control/fire_limits.h"

#include "control/trips.h"
#include "profile/kinematics.h"

namespace control {

namespace row = profile::row;

double FiringLevelG(const Program& p) {
  const float mode = p.Row(row::ControlMode);
  if (mode == 1 || mode == 2) return p.plot.TestLevelG;
  return static_cast<double>(p.run.LevelFactor) * p.plot.TestLevelG;
}

namespace {

struct Refusal {
  int16_t Code;
  const char* Text;
};

Refusal RefusalOf(profile::ExceededLimit limit) {
  using profile::ExceededLimit;
  switch (limit) {
    case ExceededLimit::Displacement:
      return {trip::LimitD,
              " Test Displacement > System D Limit : the shock pulse was not output.\r\n"
              " Lower the test level, or raise Max. Displacement in the System menu if the "
              "shaker allows it."};
    case ExceededLimit::Velocity:
      return {trip::LimitV,
              " Test Velocity > System V Limit : the shock pulse was not output.\r\n"
              " Lower the test level, or raise Max. Velocity in the System menu if the "
              "shaker allows it."};
    case ExceededLimit::Acceleration:
    default:
      return {trip::LimitA,
              " Test Acceleration > System A Limit : the shock pulse was not output.\r\n"
              " Lower the test level, or raise Max. Acceleration in the System menu if the "
              "shaker allows it."};
  }
}

}  // namespace

bool PulseWithinLimits(Program& p) {
  const auto peaks = profile::ReferencePeaksAt(p, FiringLevelG(p));
  const auto limit = profile::FirstExceededLimit(p, peaks);
  if (limit == profile::ExceededLimit::None) return true;
  const Refusal r = RefusalOf(limit);
  p.control.PulseFailed = true;
  p.control.TripCode = r.Code;
  RaiseTrip(p, r.Text);
  return false;
}

}  // namespace control
