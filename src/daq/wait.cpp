#include "daq/wait.h"

#include "daq/remote_abort.h"

namespace daq {

void WaitSlice(Program& p, int ms) {
  p.platform.Pump(ms);
  const double now = p.platform.MonotonicMs();
  if (now - p.run.LastAbortPollMs >= kRemoteAbortPollMs) {
    p.run.LastAbortPollMs = now;
    PollAbortWhileBusy(p);
  }
  ThrowIfAborted(p);
}

void ThrowIfAborted(const Program& p) {
  if (p.run.AbortRequested) throw RunAborted{};
}

}  // namespace daq
