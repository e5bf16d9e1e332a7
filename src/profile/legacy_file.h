#pragma once
// The older, shorter profile layout, read only: rows 1..64 and three texts.
#include <string>

#include "program/program.h"
#include "profile/profile_file.h"

namespace profile {

inline constexpr int kLegacyRows = 64;

// Rows 1..64 must all be there (a short file raises the read error); the three texts after
// them are read while the file lasts. Rows 65..200 and the sub-titles are left as they were.
bool ReadLegacyFields(FieldSource& src, ShockProfile& r);
void OpenLegacyProfile(Program& p);

}  // namespace profile
