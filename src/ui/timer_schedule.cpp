#include "ui/timer_schedule.h"

namespace ui {

void TimerSchedule::Sync(const Window& win) {
  for (int i = 0; i < kTimers; ++i) {
    const auto& t = win.GetTimer(static_cast<TimerId>(i));
    if (t.Epoch != epoch_[i]) {
      epoch_[i] = t.Epoch;
      due_[i] = (t.Enabled && t.Interval > 0) ? now_() + t.Interval : kNever;
    } else if (!t.Enabled || t.Interval <= 0) {
      due_[i] = kNever;
    }
  }
}

void TimerSchedule::Fire(const Window& win, int i, const std::function<void(TimerId)>& tick) {
  const auto id = static_cast<TimerId>(i);
  const uint32_t before = win.GetTimer(id).Epoch;
  due_[i] = now_() + win.GetTimer(id).Interval;
  inTick_[i] = true;
  tick(id);
  inTick_[i] = false;
  if (win.GetTimer(id).Epoch == before) epoch_[i] = before;
  Sync(win);
}

}  // namespace ui
