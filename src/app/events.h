#pragma once
// The one entry point of every event: menus, buttons, spin buttons, keys, timer ticks,
// mouse presses in the plot, image clicks, the end of the splash and the window closing.
#include "program/program.h"

namespace app {

enum class EventKind {
  SplashDone,
  Menu,
  Button,
  SpinUp,
  SpinDown,
  Key,
  Timer,
  PlotMouseDown,
  ImageClick,
  Unload,
  // Nothing of its own: lets a procedure that was just given move on (see AfterEvent).
  Procedure,
  // SIGINT or SIGTERM without a window: the Abort command, in the signal's name.
  Signal
};

struct Event {
  EventKind Kind = EventKind::Menu;
  ui::MenuId Menu = ui::MenuId::None;
  int Index = 0;  // item of a menu array, 0..15
  ui::ButtonId Button = ui::ButtonId::cmdStart;
  ui::SpinId Spin = ui::SpinId::SpnLevel;
  ui::TimerId Timer = ui::TimerId::tmrTimer1;
  ui::ImageId Image = ui::ImageId::Image3;
  int Key = 0;          // the key's character code
  double X = 0, Y = 0;  // plot coordinates in pixels

  static Event MenuClick(ui::MenuId id, int index = 0) {
    Event e;
    e.Kind = EventKind::Menu;
    e.Menu = id;
    e.Index = index;
    return e;
  }
  static Event ButtonClick(ui::ButtonId id) {
    Event e;
    e.Kind = EventKind::Button;
    e.Button = id;
    return e;
  }
  static Event Tick(ui::TimerId id) {
    Event e;
    e.Kind = EventKind::Timer;
    e.Timer = id;
    return e;
  }
  static Event KeyPress(int key) {
    Event e;
    e.Kind = EventKind::Key;
    e.Key = key;
    return e;
  }
  static Event Of(EventKind k) {
    Event e;
    e.Kind = k;
    return e;
  }
};

// Runs the event's handler to completion. Returns false when the event was dropped
// because another handler (or its modal box) is still running, or the program ended.
bool HandleEvent(Program& p, const Event& e);

}  // namespace app
