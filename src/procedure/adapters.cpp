#include "procedure/adapters.h"

#include "app/program.h"

namespace procedure {

// ADAPTER(acceptance): to read the acceptance of the last full-level pulse when it judges.
std::optional<PulseJudgement> LastPulseVerdict(const Program& p) {
  (void)p;
  return std::nullopt;
}

// ADAPTER(history): to set the procedure and step of the history's run rows.
void MarkHistory(Program& p, const std::string& procedureTitle, const std::string& step) {
  (void)p;
  (void)procedureTitle;
  (void)step;
}

}  // namespace procedure
