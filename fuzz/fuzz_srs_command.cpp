// Any text as the profile of the headless spectrum command: no crash, no box, exit 0 with
// finite numbers only, or exit 2 with one line of error.
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "commands/srs_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/krx8-fuzz-srs-" + std::to_string(::getpid());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  std::ostringstream out, err;
  const int rc = analysis::RunSrsCommand(path, "", std::nullopt, out, err);
  if (rc == 2) {
    const std::string e = err.str();
    if (!out.str().empty() || e.empty() || e.find('\n') != e.size() - 1) __builtin_trap();
    return 0;
  }
  if (rc != 0 || !err.str().empty()) __builtin_trap();
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::istringstream items(line);
    for (std::string item; std::getline(items, item, ',');)
      if (!std::isfinite(std::strtod(item.c_str(), nullptr))) __builtin_trap();
  }
  return 0;
}
