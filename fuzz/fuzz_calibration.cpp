// The calibration file reader on arbitrary text: it must end, never crash, and leave only
// finite numbers in the table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/program.h"
#include "fuzz_platform.h"
#include "files/calibration.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::NullPlatform platform;
  platform.RetriesLeft = 3;
  Program p(platform);
  common::TextReader reader(std::string(reinterpret_cast<const char*>(data), size));
  files::ReadCalFactors(p, reader);
  for (float v : p.files.CalFactors)
    if (!std::isfinite(v)) std::abort();
  if (platform.Boxes > 4 * files::kCalEntries) std::abort();
  return 0;
}
