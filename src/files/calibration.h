#pragma once
#include "app/program.h"

namespace files {
void LoadCalFactors(Program& p);
void SaveCalFactors(Program& p);
}  // namespace files
