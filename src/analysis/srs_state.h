#pragma once
#include <cstdint>

#include "analysis/srs.h"

namespace analysis {

// The spectra of the last computation and the inputs they were computed from; both live
// as long as the program, so that a spectrum costs no allocation.
struct SrsState {
  SrsInputs Inputs;
  SrsResult Result;
  uint32_t Channels = 0;  // bit c set: channel c (1..16) is in the result
};

}  // namespace analysis
