#pragma once
// Pulse acceptance without a window: a test data file in, one CSV line per channel out.
#include <ostream>
#include <string>

#include "common/text_file.h"
#include "program/program.h"

namespace analysis {

// Reads a test data file into the program: its profile rows over the record, and the
// samples of channels 1 to 8 (in G) into `samples`. Throws common::RunError.
using ChannelSamples = std::array<std::array<float, profile::kWaveSamples>, 8>;
void ReadTestData(Program& p, common::TextReader& in, ChannelSamples& samples);

// Judges channels 1 to 8 of a test data file against the reference synthesised from the
// file's own profile rows (and the custom waveshape, which selects the custom shape), at
// full level, with the file's tolerance settings. 0 when channel 1 passes, 1 when it fails;
// 2 and one line on `err` for a file that cannot be read.
int RunAcceptCommand(const std::string& dataFile, const std::string& customFile, std::ostream& out,
                     std::ostream& err);

}  // namespace analysis
