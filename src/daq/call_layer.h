#pragma once
// The one door to the board's driver library. Until the library is bound, every call
// fails as a library that cannot be loaded does: a run-time error, not a returned code.
#include <string>

#include "app/program.h"
#include "common/run_error.h"

namespace daq {

// Opens a board by its driver name; returns its handle, or -1 when it cannot be opened.
int32_t OpenDaqDevice(Program& p, const std::string& name);
// The code that a failing call raises from now on; 0 raises nothing.
void SetDaqRaiseNumber(Program& p, int32_t handle, int32_t number);
// The library's text for an error code.
std::string FormatDaqError(Program& p, int32_t code);
// Stands for the first library call of a routine: throws while no library is bound.
void RequireLibrary(Program& p);

// The prefixes of an acquisition routine's failure message.
struct RoutinePrefixes {
  const char* RunTime;
  const char* Library;
};

// The failure box of the acquisition routines, titled "Error!".
void ReportAcquisitionError(Program& p, const RoutinePrefixes& prefixes, const common::RunError& e);

// Runs an acquisition routine's body: failing calls raise 100, and any run-time error
// ends the routine with its one box; the caller goes on as if it had finished.
template <typename F>
void RunAcquisitionRoutine(Program& p, const RoutinePrefixes& prefixes, F&& body) {
  SetDaqRaiseNumber(p, p.daq.ActiveHandle, 100);
  try {
    body();
  } catch (const common::RunError& e) {
    ReportAcquisitionError(p, prefixes, e);
  }
}

}  // namespace daq
