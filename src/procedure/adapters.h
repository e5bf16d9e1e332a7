#pragma once
// Where a procedure meets the pulse acceptance and the test history. Each is one small
// function, so that joining them to those modules touches nothing else.
#include <optional>
#include <string>

#include "procedure/state.h"

struct Program;

namespace procedure {

// The acceptance verdict of the last full-level pulse; nothing while pulses are not judged.
std::optional<PulseJudgement> LastPulseVerdict(const Program& p);

// Names the procedure and the step on the runs the history writes from now on.
void MarkHistory(Program& p, const std::string& procedureTitle, const std::string& step);

}  // namespace procedure
