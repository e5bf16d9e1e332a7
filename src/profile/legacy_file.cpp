#include "profile/legacy_file.h"

namespace profile {

bool ReadLegacyFields(FieldSource& src, ShockProfile& r) {
  for (int row = 1; row <= kLegacyRows; ++row) {
    if (!src.Number(r.Value[row])) return false;
    for (float& aux : r.Aux[row])
      if (!src.Number(aux)) return false;
    if (!src.Text(r.Label[row])) return false;
  }
  for (std::string* t : {&r.TestTitle, &r.AccelModel, &r.AccelSerial})
    if (!src.AtEnd() && !src.Text(*t)) return false;
  return true;
}

void OpenLegacyProfile(Program& p) {
  OpenProfileWith(p, ReadLegacyFields);
}

}  // namespace profile
