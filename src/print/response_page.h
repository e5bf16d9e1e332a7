#pragma once
// The system response view on the report page: its log grid, tick labels and curves in the
// plot box.
#include "program/program.h"

namespace print {

void PrintSystemResponse(Program& p);

}  // namespace print
