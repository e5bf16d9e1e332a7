#pragma once
// The plan of a checked procedure, one line per step, as `--check` prints it and the
// window's confirmation box shows it before anything is driven.
#include <ostream>
#include <string>
#include <vector>

#include "procedure/procedure_file.h"

namespace procedure {

std::string PlanLine(const Step& s, std::size_t number);
std::vector<std::string> PlanLines(const Procedure& proc);

// `--procedure FILE --check`: the whole check, no window, no board. The plan on `out`, the
// errors and warnings on `err`; 0 when the procedure would be accepted, 2 otherwise.
int RunCheck(const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace procedure
