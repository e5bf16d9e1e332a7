#include "files/calibration.h"

namespace files {
void LoadCalFactors(Program&) {}
void SaveCalFactors(Program&) {}
}  // namespace files
