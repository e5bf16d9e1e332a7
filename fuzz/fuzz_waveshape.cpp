// Any text as a custom waveshape: no crash, every sample finite and within the accepted
// magnitude, and the drive synthesised from it stays within the code range.
#include <cmath>
#include <string>

#include "program/program.h"
#include "fuzz_platform.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "profile/waveshape_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::NullPlatform pf;
  Program p(pf);
  profile::SetProfileDefaults(p);
  p.Row(profile::row::PulseShape) = 9;
  profile::ReadCustomShapeText(pf, std::string(reinterpret_cast<const char*>(data), size),
                               p.profile.CustomShape);
  for (float v : p.profile.CustomShape)
    if (!std::isfinite(v) || std::fabs(v) > profile::kShapeSampleLimit) __builtin_trap();
  profile::SynthesizePulse(p);
  for (int16_t c : p.wave.DriveCodes)
    if (c < 1 || c > 255) __builtin_trap();
  return 0;
}
