// The remote-control file comes from another program: any bytes must be parsed or
// refused, and a poll of them must end without a crash, leaving the drive in its limits
// and the level override only on a level the operator could set.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "program/program.h"
#include "app/remote.h"
#include "fuzz_platform.h"
#include "profile/recompute.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("krx8-fuzz-remote-" + std::to_string(::getpid()) + ".dat"))
                                      .string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  daq::ControlRecord r;
  if (daq::ParseControlRecord(text, r)) {
    if (!std::isfinite(r.Command) || !std::isfinite(r.LevelG)) std::abort();
    if (r.Key.size() > size) std::abort();
  }

  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << text;
  fuzzing::NullPlatform platform;
  Program p(platform);
  profile::SetProfileDefaults(p);
  p.daq.DemoMode = 1;
  p.run.ControlFilePath = ScratchFile();
  p.Row(profile::row::SoftwareRemote) = 1;
  app::PollControlFile(p);
  app::PollControlFile(p);

  if (p.run.RemoteLevelOverride == 1.0f &&
      !(p.run.RemoteLevelG > 0 && p.run.RemoteLevelG <= daq::kMaxRemoteLevelG))
    std::abort();
  if (p.run.DrivePeakCounts < 0 || p.run.DrivePeakCounts > 4000) std::abort();
  return 0;
}
