#pragma once
// The spectra as comma-separated text: a header line, then one line per natural frequency
// with the frequency and the maximax, primary and residual of the reference and of every
// channel of the set, in G.
#include <cstdint>
#include <string>

#include "analysis/srs.h"

namespace analysis {

std::string SrsCsvText(const SrsResult& r, uint32_t channels);

}  // namespace analysis
