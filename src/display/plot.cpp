#include "display/plot.h"

#include "display/status_panel.h"

namespace display {
void RefreshPlot(Program& p) {
  ++p.plot.RefreshCount;
  UpdateStatusPanel(p);
}
}  // namespace display
