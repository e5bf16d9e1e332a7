#include "procedure/adapters.h"

#include "analysis/acceptance.h"
#include "program/program.h"

namespace procedure {

std::optional<PulseJudgement> LastPulseVerdict(const Program& p) {
  if (!p.accept.Judged) return std::nullopt;
  const analysis::AcceptanceResult& r = p.accept.Channel1;
  PulseJudgement j;
  j.Judged = true;
  j.Pass = r.verdict == analysis::Verdict::Pass;
  j.Text = analysis::VerdictWord(r.verdict);
  j.PeakPct = r.PeakPct;
  j.WidthPct = r.WidthPct;
  j.VelocityPct = r.VelocityChangePct;
  j.WorstBandPct = r.WorstBandPct;
  return j;
}

void MarkHistory(Program& p, const std::string& procedureTitle, const std::string& step) {
  p.history.Procedure = procedureTitle;
  p.history.Step = step;
}

}  // namespace procedure
