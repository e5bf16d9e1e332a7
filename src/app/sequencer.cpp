#include "app/sequencer.h"

#include "app/menus.h"
#include "app/startup.h"

namespace app {

using ui::MenuId;

Run RunStateOf(const Program& p) {
  if (p.win.Checked(MenuId::mnuRunEqual)) return Run::Equalize;
  if (p.win.Checked(MenuId::mnuRunPretest)) return Run::PreTest;
  if (p.win.Checked(MenuId::mnuRunStart)) return Run::FullLevel;
  return Run::Idle;
}

// The run commands arrive with the closed-loop work; until then they do nothing.
void EqualizeCommand(Program&) {}
void PreTestCommand(Program&) {}
void StartCommand(Program&) {}
void PreTestPulse(Program&) {}
void FullLevelPulse(Program&) {}
void EndOfRun(Program&) {}
void SpnLevel(Program&, bool) {}
void TimerTick(Program&, ui::TimerId) {}

bool OnRunMenu(Program& p, ui::MenuId id, int) {
  switch (id) {
    case MenuId::mnuRunEqual: EqualizeCommand(p); return true;
    case MenuId::mnuRunPretest: PreTestCommand(p); return true;
    case MenuId::mnuRunStart: StartCommand(p); return true;
    case MenuId::mnuRunAbort: StopTest(p); return true;
    default: return false;
  }
}

}  // namespace app
