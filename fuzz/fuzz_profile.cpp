// Any text as a current-layout profile: no crash, and whatever was read survives a
// save-and-read cycle bit for bit (a double quote in a text becomes an apostrophe).
#include <cstring>
#include <string>

#include "fuzz_platform.h"
#include "profile/profile_file.h"

namespace {

std::string Unquoted(std::string t) {
  for (char& c : t)
    if (c == '"') c = '\'';
  return t;
}

bool SameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::NullPlatform pf;
  profile::ShockProfile first;
  profile::FieldSource src(pf, profile::ErrorCaption::Plain);
  src.Attach(std::string(reinterpret_cast<const char*>(data), size));
  profile::ReadProfileFields(src, first);

  profile::ShockProfile second;
  profile::FieldSource again(pf, profile::ErrorCaption::Plain);
  again.Attach(profile::ProfileText(first));
  if (!profile::ReadProfileFields(again, second)) __builtin_trap();
  for (int r = 1; r <= profile::kFileRows; ++r) {
    if (!SameBits(first.Value[r], second.Value[r])) __builtin_trap();
    for (int a = 0; a < 5; ++a)
      if (!SameBits(first.Aux[r][a], second.Aux[r][a])) __builtin_trap();
    if (Unquoted(first.Label[r]) != second.Label[r]) __builtin_trap();
  }
  if (Unquoted(first.TestTitle) != second.TestTitle ||
      Unquoted(first.SubTitle2) != second.SubTitle2)
    __builtin_trap();
  return 0;
}
