// Any text as a test data file of the acceptance command: the reader either reads it or
// raises one of its run-time errors, and whatever it read by then (profile rows and samples
// alike) is judged without a crash, with a verdict that names a failing measure only when
// its figure is outside its tolerance or not a number.
#include <cmath>
#include <memory>
#include <string>

#include "commands/accept_command.h"
#include "analysis/accept_program.h"
#include "common/run_error.h"
#include "display/plot.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "ui/headless_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ui::HeadlessPlatform pf;
  static auto prog = std::make_unique<Program>(pf);
  static auto samples = std::make_unique<analysis::ChannelSamples>();
  Program& p = *prog;
  profile::SetProfileDefaults(p);
  common::TextReader in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    analysis::ReadTestData(p, in, *samples);
  } catch (const common::RunError&) {
  }
  profile::SynthesizePulse(p);
  p.plot.TestLevelG = display::CurrentTestLevelG(p);
  p.run.LevelFactor = 1;
  const auto tol = analysis::TolerancesOf(p);
  for (int c = 0; c < 8; ++c) {
    const auto rec = analysis::ReferencePulse(p);
    p.accept.Response = (*samples)[c];
    const auto r = analysis::JudgePulse(rec, tol);
    const bool peakIn = std::fabs(r.PeakPct - 100) <= tol.PeakPct && r.NominalPeakG > 0;
    if (r.verdict == analysis::Verdict::Pass && (!peakIn || r.SamplesOutside != 0))
      __builtin_trap();
    if (r.verdict == analysis::Verdict::FailBand && r.SamplesOutside == 0) __builtin_trap();
  }
  return 0;
}
