#pragma once
// The acceptance of the last full-level pulse and the records it was judged from.
#include <array>

#include "analysis/acceptance.h"
#include "program/wave.h"

namespace analysis {

struct AcceptState {
  // True once the last full-level pulse was judged with acceptance on; a new capture
  // clears it.
  bool Judged = false;
  AcceptanceResult Channel1;
  Tolerances Settings;  // those the judgement used
  // The reference and a response in G, kept here so that a judgement allocates nothing.
  std::array<float, profile::kWaveSamples> Reference{}, Response{};
};

}  // namespace analysis
