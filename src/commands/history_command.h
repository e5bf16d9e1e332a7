#pragma once
// The history on the command line: no window, no board. The runs, one run's pulses or one
// pulse's samples as CSV on `out`; exit 0, or 2 with one line on `err`.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace history {

struct Query {
  std::string Database;          // the file; empty: the program's own
  std::optional<int64_t> Run;    // --history RUN_ID
  std::optional<int64_t> Pulse;  // --pulse PULSE_ID
};

int RunHistoryCommand(const Query& q, std::ostream& out, std::ostream& err);

// The database the program uses: KRX8_HISTORY, else the file in the working folder.
std::string DefaultDatabase();

}  // namespace history
