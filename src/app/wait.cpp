#include "app/wait.h"

namespace app {

void WaitSlice(Program& p, int ms) {
  p.platform.Pump(ms);
  ThrowIfAborted(p);
}

void ThrowIfAborted(const Program& p) {
  if (p.run.AbortRequested) throw RunAborted{};
}

}  // namespace app
