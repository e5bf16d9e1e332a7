// Any bytes as the test history file of the command-line queries: no crash and no hang;
// exit 0 with the CSV, or exit 2 with one line of error and nothing on standard output.
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "commands/history_command.h"

namespace {

void Check(const history::Query& q) {
  std::ostringstream out, err;
  const int rc = history::RunHistoryCommand(q, out, err);
  const std::string e = err.str();
  if (rc == 2) {
    if (!out.str().empty() || e.empty() || e.find('\n') != e.size() - 1) __builtin_trap();
  } else if (rc != 0 || !e.empty()) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/krx8-fuzz-history-" + std::to_string(::getpid());
  for (const char* tail : {"", "-wal", "-shm", "-journal"}) ::unlink((path + tail).c_str());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  Check({path, std::nullopt, std::nullopt});
  Check({path, 1, std::nullopt});
  Check({path, std::nullopt, 1});
  return 0;
}
