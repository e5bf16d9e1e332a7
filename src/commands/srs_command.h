#pragma once
// The reference's spectra without a window: a profile (and a custom waveshape) in, the
// comma-separated spectra out. No board is touched and no box is shown.
#include <optional>
#include <ostream>
#include <string>

namespace analysis {

// Loads the profile over the built-in defaults (and the waveshape, which selects the custom
// shape), synthesises the reference, and writes its spectra at Q (the profile's when none is
// given) to `out`: 0. A file that cannot be read, or a Q outside 2..50, gives one line on
// `err`: 2.
int RunSrsCommand(const std::string& profileFile, const std::string& customFile,
                  std::optional<double> q, std::ostream& out, std::ostream& err);

}  // namespace analysis
