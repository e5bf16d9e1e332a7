#include "daq/call_layer.h"

namespace daq {

namespace {
[[noreturn]] void LibraryMissing() {
  throw common::RunError(common::kErrFileNotFoundLib);
}
}  // namespace

int32_t OpenDaqDevice(Program&, const std::string&) {
  LibraryMissing();
}

void SetDaqRaiseNumber(Program& p, int32_t, int32_t number) {
  p.daq.DaqLastError = 0;
  p.daq.DaqRaiseNumber = number;
}

std::string FormatDaqError(Program&, int32_t) {
  return std::string();
}

void RequireLibrary(Program&) {
  LibraryMissing();
}

void ReportAcquisitionError(Program& p, const RoutinePrefixes& prefixes,
                            const common::RunError& e) {
  if (!(p.daq.DaqLastError > 0 || e.Number() > 0)) return;
  std::string text;
  if (e.Number() != 100)
    text = prefixes.RunTime + std::to_string(e.Number()) + "\n" + e.Description();
  else
    text = prefixes.Library + std::to_string(p.daq.DaqLastError) + "\n" +
           FormatDaqError(p, p.daq.DaqLastError);
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, "Error!");
}

}  // namespace daq
