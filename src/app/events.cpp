#include "app/events.h"

#include "app/keys.h"
#include "app/menus.h"
#include "app/sequencer.h"
#include "app/startup.h"
#include "common/error_box.h"
#include "display/axes.h"

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
  }
}

void Dispatch(Program& p, const Event& e) {
  switch (e.Kind) {
    case EventKind::SplashDone:
      MainInitialize(p);
      break;
    case EventKind::Menu:
      DispatchMenu(p, e.Menu, e.Index);
      break;
    case EventKind::Button:
      switch (e.Button) {
        case ui::ButtonId::cmdEqual:
          EqualizeCommand(p);
          break;
        case ui::ButtonId::cmdPreTest:
          PreTestCommand(p);
          break;
        case ui::ButtonId::cmdStart:
          StartCommand(p);
          break;
        default:
          break;
      }
      break;
    case EventKind::SpinUp:
    case EventKind::SpinDown: {
      bool up = e.Kind == EventKind::SpinUp;
      if (e.Spin == ui::SpinId::SpnLevel)
        SpnLevel(p, up);
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
      if (e.Image == ui::ImageId::Image3) StopTest(p);
      break;
    case EventKind::Unload:
      Unload(p);
      break;
  }
}

}  // namespace

bool HandleEvent(Program& p, const Event& e) {
  if (p.run.Busy || p.run.Ended) return false;
  p.run.Busy = true;
  struct Release {
    Program& p;
    ~Release() { p.run.Busy = false; }
  } release{p};
  try {
    Dispatch(p, e);
  } catch (const common::RunError& err) {
    // An error no procedure answered still reaches the operator as a box, not a crash.
    p.platform.MessageBox(err.Description(), ui::Buttons::OK, ui::Icon::Critical,
                          common::ErrorBoxTitle(err.Number()));
  } catch (const std::exception& err) {
    p.platform.MessageBox(err.what(), ui::Buttons::OK, ui::Icon::Critical, "Error!");
  }
  return true;
}

}  // namespace app
