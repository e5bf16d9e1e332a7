#pragma once
// The maximax view on the report page: its log grid, tick labels and curves in the plot box.
#include "program/program.h"

namespace print {

void PrintMaximaxSrs(Program& p);

}  // namespace print
