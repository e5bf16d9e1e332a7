#include "app/keys.h"

#include <iterator>
#include <string>

#include "app/lockout.h"
#include "app/startup.h"
#include "control/equalize.h"
#include "display/axes.h"
#include "display/plot.h"
#include "sequencer/sequencer.h"

namespace app {

namespace {

void ShowOrigin(Program& p) {
  p.platform.MessageBox(
      " KRX-8 Classical Shock Controller by " + SplashDealerText(p.profile.DealerIndex),
      ui::Buttons::OK, ui::Icon::Information, "Origin");
}

}  // namespace

void HandleKey(Program& p, int key) {
  // From the window or the control file alike: only the procedure fires while it runs.
  if (LockedOut(p) && KeyRefused(key)) return;
  // The zoom keys go by case; the rest are tested upper-cased.
  switch (key) {
    case 'X':
      display::XZoomIn(p);
      return;
    case 'x':
      display::XZoomOut(p);
      return;
    case 'Y':
      display::YZoomIn(p);
      return;
    case 'y':
      display::YZoomOut(p);
      return;
    default:
      break;
  }
  const int upper = (key >= 'a' && key <= 'z') ? key - ('a' - 'A') : key;
  switch (upper) {
    case 'A':
      control::StopTest(p, run::AbortedBy(run::Source::Key));
      break;
    // At once: no settling delay, no status text, no run marks.
    case 'E':
      control::Equalize(p);
      break;
    case 'J':
      display::RefreshPlot(p);
      break;
    case 'P':
      sequencer::PreTestPulse(p);
      break;
    case 'S':
      sequencer::StartCommand(p);
      break;
    case 'W':
      ShowOrigin(p);
      break;
    default:
      break;
  }
}

void KeyboardHelp(Program& p) {
  static constexpr const char* kLines[] = {" Keyboard Access Keys",
                                           "",
                                           " A = Abort ",
                                           " E = Equalize",
                                           " J = Refresh Screen",
                                           " P = PreTest ",
                                           " S = Start Test ",
                                           " X, x = X-axis zoom-in, out",
                                           " Y, y = Y-axis zoom-in, out"};
  std::string text = kLines[0];
  for (size_t i = 1; i < std::size(kLines); ++i) text += std::string("\r\n") + kLines[i];
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, " Keyboard Access Keys");
}

}  // namespace app
