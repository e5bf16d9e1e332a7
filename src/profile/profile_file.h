#pragma once
#include "app/program.h"

namespace profile {
// Start-up step 2: the default profile KRXFileC.000 of the working directory.
void LoadDefaultProfile(Program& p);
}  // namespace profile
