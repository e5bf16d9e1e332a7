#pragma once
// The program context: every program-wide variable, grouped by the module that owns it,
// the window model and the platform. No globals: every test builds a fresh one.
#include "analysis/accept_state.h"
#include "analysis/srs_state.h"
#include "control/state.h"
#include "daq/state.h"
#include "display/state.h"
#include "files/state.h"
#include "history/box_tap.h"
#include "history/state.h"
#include "print/state.h"
#include "procedure/state.h"
#include "program/observer.h"
#include "program/record.h"
#include "program/wave.h"
#include "run/run_state.h"
#include "shaping/flow_state.h"
#include "ui/platform.h"
#include "ui/window.h"

struct Program {
  explicit Program(ui::Platform& p) : boxes(p), platform(boxes) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Every box passes the history on its way to the platform (once it is attached).
  history::BoxTap boxes;
  ProgramObserver observer;
  ui::Platform& platform;
  ui::Window win;
  profile::State profile;
  profile::Wave wave;
  shaping::Flow shaping;
  ::run::RunState run;
  control::State control;
  daq::State daq;
  files::State files;
  display::State plot;
  print::State print;
  analysis::SrsState srs;
  analysis::AcceptState accept;
  procedure::State procedure;
  history::State history;

  float& Row(int r) { return profile.Record.Value[r]; }
  float Row(int r) const { return profile.Record.Value[r]; }
};
