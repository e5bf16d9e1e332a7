#include "ui/timer_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::TimerId;
using ui::TimerSchedule;

// A tick that runs long: the timer falls due again meanwhile but fires once, after the
// tick; a rewrite of the timer inside its tick restarts the countdown from the write.
TEST(TimerScheduleTest, NeverInsideItsOwnTickAndRestartsOnRewrite) {
  double now = 0;
  ui::Window win;
  TimerSchedule s([&] { return now; });
  win.SetTimerInterval(TimerId::tmrTimer2, 100);
  win.SetTimerEnabled(TimerId::tmrTimer2, true);
  s.Sync(win);
  const int i = static_cast<int>(TimerId::tmrTimer2);
  EXPECT_FALSE(s.Ready(i, 99));
  ASSERT_TRUE(s.Ready(i, 100));

  now = 100;
  std::vector<bool> readyInside;
  s.Fire(win, i, [&](TimerId) {
    now = 350;  // a long tick
    readyInside.push_back(s.Ready(i, now));
  });
  EXPECT_EQ(readyInside, std::vector<bool>{false});
  EXPECT_TRUE(s.Ready(i, 350));  // fell due during the tick: once, now
  EXPECT_EQ(s.DueAt(i), 200);

  s.Fire(win, i, [&](TimerId) {
    now = 360;
    win.SetTimerInterval(TimerId::tmrTimer2, 50);
    s.Sync(win);
  });
  EXPECT_EQ(s.DueAt(i), 410);  // from the write, at its new interval

  win.SetTimerEnabled(TimerId::tmrTimer2, false);
  s.Sync(win);
  EXPECT_EQ(s.DueAt(i), TimerSchedule::kNever);
}

}  // namespace
