#pragma once
// The scene of the plot benchmarks: the built-in profile with a 10 ms half-sine at
// 5.12 kHz, all sixteen response channels shown with velocity and displacement, and the
// system equalised so that every channel is drawn. The canvas size is the caller's.
#include <cmath>

#include "program/program.h"
#include "profile/recompute.h"

namespace bench_scene {

inline void PrepareSixteenChannels(Program& p) {
  profile::SetProfileDefaults(p);
  profile::SyncProfileMenus(p);
  p.wave.SampleFactor = 4;
  p.wave.PulseSamples = 51.2f;
  for (int i = 205; i < 256; ++i)
    p.wave.ReferencePulse[i] = static_cast<float>(80 * std::sin(M_PI * (i - 204.8) / 51.2));
  for (int k = 1; k <= 16; ++k) p.daq.ChannelScale[k] = 524;
  for (int s = 0; s < 1024; ++s)
    for (int e = 0; e < 8; ++e) {
      auto v =
          static_cast<int16_t>(8 * p.wave.ReferencePulse[s] * (1 + 0.05 * e) + (s * 7 + e) % 11);
      p.daq.ScanBuffer[s * 8 + e] = v;
      p.daq.SlaveScanBuffer[s * 8 + e] = v;
    }
  p.control.SystemEqualized = 1;
  p.win.Check(ui::MenuId::mnuViewTest, false);
  p.win.Check(ui::MenuId::mnuViewVel, true);
  p.win.Check(ui::MenuId::mnuViewDisp, true);
  for (int c = 0; c < 16; ++c) p.win.Check(ui::MenuId::mnuViewResponse, true, c);
}

}  // namespace bench_scene
