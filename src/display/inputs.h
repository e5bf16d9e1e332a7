#pragma once
// Values the plot reads from modules that own them, each through one small door.
#include <array>
#include <cstdint>

#include "daq/samples.h"
#include "program/program.h"

namespace display {

// 1.0 while the remote-control file overrides the test level with RemoteLevelG.
inline float RemoteLevelOverride(const Program& p) {
  return p.run.RemoteLevelOverride;
}
inline float RemoteLevelG(const Program& p) {
  return p.run.RemoteLevelG;
}

using daq::ChannelScale;
using daq::SampleFactorOf;
using daq::ScanSample;

}  // namespace display
