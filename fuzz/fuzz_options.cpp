// The command line is outside input: any arguments must be read or refused with one clean
// line, and a spectrum request always carries a profile and a usable Q.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Arguments are separated by NUL bytes, as the kernel hands them over.
  std::vector<std::string> args{"krx8"};
  std::string cur;
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.push_back(cur);
      cur.clear();
    } else {
      cur += static_cast<char>(data[i]);
    }
  }
  if (!cur.empty()) args.push_back(cur);
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  const app::Options o = app::ParseOptions(static_cast<int>(args.size()), argv.data());
  if (o.Action == app::OptionAction::Error) {
    if (o.Error.empty() || o.Error.size() > 200) std::abort();
    for (char c : o.Error)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) std::abort();
  } else if (!o.Error.empty()) {
    std::abort();
  }
  if (o.Action == app::OptionAction::Srs &&
      (o.SrsProfileFile.empty() || (o.Q && !std::isfinite(*o.Q))))
    std::abort();
  if (o.Action == app::OptionAction::Run && !o.SrsProfileFile.empty()) std::abort();
  // The data file of --accept, never together with --srs.
  if ((o.Action == app::OptionAction::Accept) !=
      (!o.AcceptDataFile.empty() && o.SrsProfileFile.empty() &&
       o.Action != app::OptionAction::Help && o.Action != app::OptionAction::Version))
    std::abort();
  // A history query names at most one row, a positive id.
  if (o.Action == app::OptionAction::History &&
      ((o.HistoryRun && o.Pulse) || (o.HistoryRun && *o.HistoryRun < 1) ||
       (o.Pulse && *o.Pulse < 1)))
    std::abort();
  if (o.Action != app::OptionAction::History && o.Action != app::OptionAction::Error &&
      o.Action != app::OptionAction::Help && o.Action != app::OptionAction::Version &&
      (o.Pulse || o.HistoryRun || !o.Database.empty()))
    std::abort();
  return 0;
}
