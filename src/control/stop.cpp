#include "control/stop.h"

#include "daq/acquisition.h"
#include "daq/digital.h"
#include "display/plot.h"

namespace control {

using run::Stop;
using run::StopCause;

using ui::MenuId;

Run RunStateOf(const Program& p) {
  if (p.win.Checked(MenuId::mnuRunEqual)) return Run::Equalize;
  if (p.win.Checked(MenuId::mnuRunPretest)) return Run::PreTest;
  if (p.win.Checked(MenuId::mnuRunStart)) return Run::FullLevel;
  return Run::Idle;
}

void BeginRun(Program& p) {
  p.run.Stop = StopCause{};
}

void EndRunCompleted(Program& p) {
  if (p.run.Stop.Kind == Stop::None) p.run.Stop = run::Completed();
}

namespace {
// The status line must not go on claiming work that a stop ended.
void ClearRunStatus(Program& p) {
  std::string& s = p.win.Lbl(ui::LabelId::lblStatus).Caption;
  if (s.rfind("EQUALIZING SYSTEM-", 0) == 0) s = kEqualizationStoppedText;
}
}  // namespace

void StopTest(Program& p, StopCause why) {
  if (why.Kind != Stop::None && !p.run.Stop.CutShort()) p.run.Stop = std::move(why);
  auto& w = p.win;
  // An armed equalisation is cancelled, as is a transient capture waiting for its event.
  w.SetTimerEnabled(ui::kSettlingTimer, false);
  p.daq.TransientArmed = false;
  ClearRunStatus(p);
  w.Img(ui::ImageId::imgSine).Visible = false;
  w.Check(MenuId::mnuRunEqual, false);
  w.Check(MenuId::mnuRunPretest, false);
  w.Check(MenuId::mnuRunStart, false);
  w.Button(ui::ButtonId::cmdPreTest).ForeColor = ui::kBlack;
  w.Button(ui::ButtonId::cmdEqual).ForeColor = ui::kBlack;
  w.Button(ui::ButtonId::cmdStart).ForeColor = ui::kBlack;
  p.run.PulseCount = 0;
  if (p.daq.DemoMode != 1.0f) {
    // No output may go on playing: every open board is disarmed, best effort. Then the
    // drive path is released: both 12-bit fields of the serial word to 0.
    daq::DisarmBoards(p);
    p.daq.SerialWordLow = 0;
    p.daq.SerialWordHigh = 0;
    daq::SendSerialWord(p);
    display::RefreshPlot(p);
  }
}

}  // namespace control
