// Any text as a legacy profile: no crash, no hang, rows past 64 untouched.
#include <string>

#include "fuzz_platform.h"
#include "profile/legacy_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::NullPlatform pf;
  profile::ShockProfile r;
  r.Value[65] = 65;
  r.SubTitle1 = "kept";
  profile::FieldSource src(pf, profile::ErrorCaption::Plain);
  src.Attach(std::string(reinterpret_cast<const char*>(data), size));
  profile::ReadLegacyFields(src, r);
  if (r.Value[65] != 65 || r.SubTitle1 != "kept") __builtin_trap();
  return 0;
}
