#include "app/events.h"

#include "app/keys.h"
#include "app/lockout.h"
#include "app/menus.h"
#include "app/remote.h"
#include "app/startup.h"
#include "app/timers.h"
#include "common/error_box.h"
#include "control/menu.h"
#include "daq/menu.h"
#include "daq/remote_abort.h"
#include "daq/wait.h"
#include "display/axes.h"
#include "display/menu.h"
#include "files/menu.h"
#include "history/history.h"
#include "print/menu.h"
#include "procedure/runner.h"
#include "profile/menu.h"
#include "sequencer/sequencer.h"

namespace app {
namespace {

void DispatchMenu(Program& p, ui::MenuId id, int index) {
  switch (ui::Def(id).OwnerModule) {
    case ui::Owner::App:
      OnMenu(p, id, index);
      break;
    case ui::Owner::Profile:
      profile::OnMenu(p, id, index);
      break;
    case ui::Owner::Control:
      control::OnMenu(p, id, index);
      break;
    case ui::Owner::Daq:
      daq::OnMenu(p, id, index);
      break;
    case ui::Owner::Files:
      files::OnMenu(p, id, index);
      break;
    case ui::Owner::Display:
      display::OnMenu(p, id, index);
      break;
    case ui::Owner::Print:
      print::OnMenu(p, id, index);
      break;
    case ui::Owner::History:
      history::OpenHistoryWindow(p);
      break;
  }
}

void Dispatch(Program& p, const Event& e) {
  // Only the procedure fires while it runs.
  if (EventRefused(p, e)) return;
  switch (e.Kind) {
    case EventKind::SplashDone:
      MainInitialize(p);
      Tell(p.observer.StartedUp, p);
      break;
    case EventKind::Menu:
      DispatchMenu(p, e.Menu, e.Index);
      break;
    case EventKind::Button:
      switch (e.Button) {
        case ui::ButtonId::cmdEqual:
          sequencer::EqualizeCommand(p);
          break;
        case ui::ButtonId::cmdPreTest:
          sequencer::PreTestCommand(p);
          break;
        case ui::ButtonId::cmdStart:
          sequencer::StartCommand(p);
          break;
        default:
          break;
      }
      break;
    case EventKind::SpinUp:
    case EventKind::SpinDown: {
      bool up = e.Kind == EventKind::SpinUp;
      if (e.Spin == ui::SpinId::SpnLevel)
        sequencer::SpnLevel(p, up);
      else
        display::ZoomSpin(p, e.Spin, up);
      break;
    }
    case EventKind::Key:
      HandleKey(p, e.Key);
      break;
    case EventKind::Timer:
      TimerTick(p, e.Timer);
      break;
    case EventKind::PlotMouseDown:
      display::PlotMouseDown(p, e.X, e.Y);
      break;
    case EventKind::ImageClick:
      if (e.Image == ui::ImageId::Image3)
        control::StopTest(p, run::AbortedBy(run::Source::Operator));
      break;
    case EventKind::Unload:
      Unload(p);
      break;
    case EventKind::Signal:
      control::StopTest(p, run::AbortedBy(run::Source::Signal));
      break;
    case EventKind::Procedure:
      break;
  }
}

}  // namespace

namespace {

// The Abort source of an event; None for every other event.
run::Source AbortSourceOf(const Event& e) {
  switch (e.Kind) {
    case EventKind::Menu:
      return e.Menu == ui::MenuId::mnuRunAbort ? run::Source::Operator : run::Source::None;
    case EventKind::Key:
      return e.Key == 'A' || e.Key == 'a' ? run::Source::Key : run::Source::None;
    case EventKind::ImageClick:
      return e.Image == ui::ImageId::Image3 ? run::Source::Operator : run::Source::None;
    case EventKind::Signal:
      return run::Source::Signal;
    default:
      return run::Source::None;
  }
}
bool IsAbort(const Event& e) {
  return AbortSourceOf(e) != run::Source::None;
}

// Runs one piece of work; an error no procedure answered becomes a box, not a crash.
template <typename F>
void Guarded(Program& p, F&& work) {
  try {
    work();
  } catch (const daq::RunAborted&) {
    // The work stopped at a wait; the stop itself follows.
  } catch (const common::RunError& err) {
    p.platform.MessageBox(err.Description(), ui::Buttons::OK, ui::Icon::Critical,
                          common::ErrorBoxTitle(err.Number()));
  } catch (const std::exception& err) {
    p.platform.MessageBox(err.what(), ui::Buttons::OK, ui::Icon::Critical, "Error!");
  }
}

}  // namespace

bool HandleEvent(Program& p, const Event& e) {
  if (p.run.Ended) return false;
  if (p.run.Busy) {
    // Inside a handler's waits only Abort gets through, from the window or from the
    // remote inputs the housekeeping tick reads; it asks the long work to stop.
    if (IsAbort(e)) {
      run::RequestAbort(p.run, AbortSourceOf(e));
      return true;
    }
    if (e.Kind == EventKind::Timer && e.Timer == ui::kHousekeepingTimer) daq::PollAbortWhileBusy(p);
    return false;
  }
  p.run.Busy = true;
  p.run.AbortRequested = false;
  p.run.AbortFrom = run::Source::None;
  p.daq.LineErrorShown = false;
  struct Release {
    Program& p;
    ~Release() { p.run.Busy = false; }
  } release{p};
  Guarded(p, [&] { Dispatch(p, e); });
  if (p.run.AbortRequested && !p.run.Ended) {
    p.run.AbortRequested = false;
    Guarded(p, [&] { control::StopTest(p, run::AbortedBy(p.run.AbortFrom)); });
  }
  // A running procedure takes its next step once the event's own work is done, as an
  // operator at the window would; the history then sees what the event and the step did.
  if (procedure::Active(p)) Guarded(p, [&] { procedure::AfterEvent(p); });
  ShowLockOut(p);
  bool closing = e.Kind == EventKind::Unload;
  Tell(p.observer.EventEnded, p, closing);
  return true;
}

}  // namespace app
