#include "profile/profile_file.h"

namespace profile {
void LoadDefaultProfile(Program&) {}
}  // namespace profile
