#include "app/menus.h"
#include "app/remote.h"
#include "app/timers.h"
#include "common/rounding.h"
#include "control/equalize.h"
#include "display/axes.h"
#include "procedure/runner.h"
#include "profile/bounds.h"
#include "sequencer/sequencer.h"

namespace app {

using ui::MenuId;
using ui::TimerId;
namespace row = profile::row;

namespace {
// The pacing interval from the repetition period. A period from a file outside the
// prompt's bounds (0, negative, NaN) would make the timer fire back to back or never.
int RepetitionIntervalMs(const Program& p) {
  constexpr const profile::SettingBounds& b = profile::BoundsOf(row::RepetitionRate);
  float seconds = p.Row(b.Row);
  if (!(seconds >= b.Low)) seconds = static_cast<float>(b.Low);
  if (seconds > b.High) seconds = static_cast<float>(b.High);
  return common::ToInt32(static_cast<double>(seconds) * 1000.0);
}
}  // namespace

void TimerTick(Program& p, ui::TimerId id) {
  switch (id) {
    case ui::kSettlingTimer:
      // A tick that an Abort overtook (its timer already off) fires nothing.
      if (p.win.GetTimer(ui::kSettlingTimer).Enabled) control::Equalize(p);
      break;
    case ui::kPacingTimer:
      p.win.SetTimerInterval(ui::kPacingTimer, RepetitionIntervalMs(p));
      if (p.win.Checked(MenuId::mnuRunPretest)) sequencer::PreTestPulse(p);
      if (p.win.Checked(MenuId::mnuRunStart)) sequencer::FullLevelPulse(p);
      break;
    case ui::kHousekeepingTimer:
      sequencer::TransientTick(p);
      if (p.Row(row::RemoteInputs) == 1) PollRemoteInputs(p);
      if (p.Row(row::SoftwareRemote) == 1) PollControlFile(p);
      display::HideCursorIfDue(p);
      break;
    default:
      break;
  }
}

bool OnRunMenu(Program& p, ui::MenuId id, int) {
  switch (id) {
    case MenuId::mnuRunEqual:
      sequencer::EqualizeCommand(p);
      return true;
    case MenuId::mnuRunPretest:
      sequencer::PreTestCommand(p);
      return true;
    case MenuId::mnuRunStart:
      sequencer::StartCommand(p);
      return true;
    case MenuId::mnuRunAbort:
      control::StopTest(p, run::AbortedBy(run::Source::Operator));
      return true;
    case MenuId::mnuRunProcedure:
      procedure::RunProcedureCommand(p);
      return true;
    default:
      return false;
  }
}

}  // namespace app
