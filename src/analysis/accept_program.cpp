#include "analysis/accept_program.h"

#include <cmath>

#include "analysis/srs_inputs.h"
#include "daq/samples.h"

namespace analysis {

namespace row = profile::row;

namespace {

constexpr int kRecord = 1024;           // samples of a record
constexpr int32_t kPassColor = 0x8000;  // green, as an RGB long

double OrDefault(float v, double fallback) {
  return v == 0 || !std::isfinite(v) ? fallback : v;
}

}  // namespace

bool AcceptanceOn(const Program& p) {
  return p.Row(row::AcceptOn) == 1;
}

bool StopOnFail(const Program& p) {
  return p.Row(row::TolStopOnFail) == 1;
}

Tolerances TolerancesOf(const Program& p) {
  const Tolerances d;
  Tolerances t;
  t.PeakPct = OrDefault(p.Row(row::TolPeakPct), d.PeakPct);
  t.WidthPct = OrDefault(p.Row(row::TolWidthPct), d.WidthPct);
  t.VelocityPct = OrDefault(p.Row(row::TolVelocityPct), d.VelocityPct);
  t.BandInsidePct = OrDefault(p.Row(row::TolBandInsidePct), d.BandInsidePct);
  t.BandOutsidePct = OrDefault(p.Row(row::TolBandOutsidePct), d.BandOutsidePct);
  t.WindowBefore = OrDefault(p.Row(row::TolWindowBefore), d.WindowBefore);
  t.WindowAfter = OrDefault(p.Row(row::TolWindowAfter), d.WindowAfter);
  t.EdgePct = OrDefault(p.Row(row::TolEdgePct), d.EdgePct);
  return t;
}

PulseTraces ReferencePulse(Program& p) {
  auto& a = p.accept;
  const float level = p.run.LevelFactor * p.plot.TestLevelG;
  const bool negative = p.Row(row::Polarity) == 2;
  // In single precision, as the abort band is drawn.
  for (int i = 0; i < kRecord; ++i)
    a.Reference[i] = profile::ReferenceGSingle(p.wave, i, level, negative);
  a.Response.fill(0);
  PulseTraces r;
  r.Reference = std::span<const float>(a.Reference.data(), kRecord);
  r.Response = std::span<const float>(a.Response.data(), kRecord);
  r.SampleRate = RecordSampleRate(p);
  r.PulseSamples = p.wave.PulseSamples;
  r.VelocityPerG = VelocityPerGSecond(p.Row(row::UnitSystem));
  return r;
}

PulseTraces ProgramPulse(Program& p, int c) {
  auto& a = p.accept;
  const PulseTraces r = ReferencePulse(p);
  const float scale = daq::ChannelScale(p, c);
  // A channel without a usable calibration reads as zero, as on the plot.
  if (c >= 1 && c <= 16 && std::isfinite(scale) && scale != 0) {
    for (int i = 0; i < kRecord; ++i)
      a.Response[i] = static_cast<float>(daq::ChannelSampleG(p.daq, c, i));
  }
  return r;
}

AcceptanceResult JudgeChannel(Program& p, int c) {
  return JudgePulse(ProgramPulse(p, c), TolerancesOf(p));
}

void ShowVerdict(Program& p) {
  auto& l = p.win.Lbl(ui::LabelId::lblAccept);
  const auto& a = p.accept;
  l.Visible = AcceptanceOn(p) && a.Judged;
  if (!a.Judged) return;
  l.Caption = VerdictText(a.Channel1);
  l.ForeColor = a.Channel1.verdict == Verdict::Pass ? kPassColor : ui::kRed;
}

bool AcceptPulse(Program& p) {
  auto& a = p.accept;
  a.Judged = false;
  if (!AcceptanceOn(p)) return true;
  a.Settings = TolerancesOf(p);
  a.Channel1 = JudgeChannel(p, 1);
  a.Judged = true;
  ShowVerdict(p);
  return a.Channel1.verdict == Verdict::Pass || !StopOnFail(p);
}

void ToleranceBand(Program& p, BandLines& out) {
  const PulseTraces r = ProgramPulse(p, 1);
  const Tolerances tol = TolerancesOf(p);
  const AcceptanceResult j = JudgePulse(r, tol);
  out.First = 0;
  out.Last = -1;
  const int n = static_cast<int>(r.Reference.size());
  for (int i = 0; i < n; ++i) {
    const double half = BandHalfWidth(r, tol, j.NominalPeakG, i);
    const int at = i + j.ShiftSamples;
    if (half < 0 || at < 0 || at >= profile::kWaveSamples) continue;
    if (out.Last < out.First) out.First = at;
    out.Last = at;
    out.Upper[at] = static_cast<float>(r.Reference[i] + half);
    out.Lower[at] = static_cast<float>(r.Reference[i] - half);
  }
}

}  // namespace analysis
