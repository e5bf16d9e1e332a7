#pragma once
// When each of the window's timers fires next, for a platform that runs the timers itself
// (the test harness on virtual time, the headless run on real time). A timer does not
// fire inside its own tick; one that fell due meanwhile fires once when the tick ends.
#include <cstdint>
#include <functional>
#include <limits>

#include "ui/window.h"

namespace ui {

class TimerSchedule {
 public:
  static constexpr int kTimers = static_cast<int>(TimerId::Count);
  static constexpr double kNever = std::numeric_limits<double>::infinity();

  // `now` reads the platform's clock in milliseconds.
  explicit TimerSchedule(std::function<double()> now) : now_(std::move(now)) {}

  // Restarts the countdown of a timer the core rewrote since the last look; a timer that
  // is off or has no interval never falls due.
  void Sync(const Window& win);
  // Whether timer `i` is due by `until` and not inside its own tick.
  bool Ready(int i, double until) const { return !inTick_[i] && due_[i] <= until; }
  double DueAt(int i) const { return due_[i]; }
  // Runs one tick of timer `i` through `tick`; its countdown restarts as it fires.
  void Fire(const Window& win, int i, const std::function<void(TimerId)>& tick);

 private:
  std::function<double()> now_;
  double due_[kTimers] = {kNever, kNever, kNever};
  bool inTick_[kTimers] = {false, false, false};
  uint32_t epoch_[kTimers] = {~0u, ~0u, ~0u};
};

}  // namespace ui
