#pragma once
// The one door to the board's driver library. Every call stores the library's code in
// DaqLastError and, once DaqRaiseNumber is set, turns a failure into that run-time error.
// While no library can be loaded, every call fails as a missing library does: run-time
// error 48, whatever DaqRaiseNumber holds.
#include <string>

#include "common/run_error.h"
#include "daq/driver.h"
#include "program/program.h"

namespace daq {

// Binds the driver if it is not yet: the state's own file first, then the file the
// variable names, then the library's name on the system's search path. A failure is
// remembered until the next open of a device looks again.
bool EnsureDriver(Program& p);
// Puts a table of the caller's functions in place of the library's (tests).
void BindDriverTable(Program& p, const DriverTable& table);
// Lets go of the driver; the next open looks for it again.
void ReleaseDriver(Program& p);

// Opens a board by its driver name; returns its handle, or -1 when it cannot be opened.
int32_t OpenDaqDevice(Program& p, const std::string& name);
// The code that a failing call raises from now on; 0 raises nothing.
void SetDaqRaiseNumber(Program& p, int32_t handle, int32_t number);
// The library's text for an error code. Never raises: it is used while reporting.
std::string FormatDaqError(Program& p, int32_t code);
// Throws the missing-library error while no library is bound.
void RequireLibrary(Program& p);

// One wrapper per driver function, arguments in the library's order, its code as result.
int32_t DaqSetDefaultErrorHandler(Program& p, DaqErrorHandlerFn handler);
int32_t DaqGetLastError(Program& p, int32_t handle, int32_t& code);
int32_t DaqSetOption(Program& p, int32_t handle, int32_t channel, int32_t flags, int32_t option,
                     float value);
int32_t DaqAdcSetScan(Program& p, int32_t handle, int32_t* channels, int32_t* gains, int32_t* flags,
                      int32_t count);
int32_t DaqAdcSetAcq(Program& p, int32_t handle, int32_t mode, int32_t pre, int32_t post);
int32_t DaqAdcSetClockSource(Program& p, int32_t handle, int32_t source);
int32_t DaqAdcSetFreq(Program& p, int32_t handle, float freq);
int32_t DaqSetTriggerEvent(Program& p, int32_t handle, int32_t source, int32_t sensitivity,
                           int32_t channel, int32_t gain, int32_t flags, int32_t channelType,
                           float level, float hysteresis, int32_t event);
int32_t DaqAdcTransferSetBuffer(Program& p, int32_t handle, int16_t* buffer, int32_t scans,
                                int32_t mask);
int32_t DaqAdcTransferStart(Program& p, int32_t handle);
int32_t DaqAdcArm(Program& p, int32_t handle);
int32_t DaqAdcSoftTrig(Program& p, int32_t handle);
int32_t DaqAdcDisarm(Program& p, int32_t handle);
int32_t DaqAdcTransferGetStat(Program& p, int32_t handle, int32_t& active, int32_t& count);
int32_t DaqAdcTransferBufData(Program& p, int32_t handle, int16_t* buffer, int32_t scans,
                              int32_t mask, int32_t& retCount);
int32_t DaqDacSetOutputMode(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                            int32_t mode);
// `rising` is a true/false value (true = -1): the library is given 0 or 1.
int32_t DaqDacWaveSetTrig(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          int32_t source, int32_t rising);
int32_t DaqDacWaveSetClockSource(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                                 int32_t source);
int32_t DaqDacWaveSetFreq(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          float freq);
int32_t DaqDacWaveSetMode(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          int32_t mode, int32_t updateCount);
int32_t DaqDacWaveSetBuffer(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                            uint16_t* buffer, int32_t count, int32_t mask);
int32_t DaqDacWaveSetUserWave(Program& p, int32_t handle, int32_t deviceType, int32_t channel);
int32_t DaqDacTransferStart(Program& p, int32_t handle, int32_t deviceType, int32_t channel);
int32_t DaqDacWaveArm(Program& p, int32_t handle, int32_t deviceType);
int32_t DaqDacWaveSoftTrig(Program& p, int32_t handle, int32_t deviceType, int32_t channel);
int32_t DaqDacWaveDisarm(Program& p, int32_t handle, int32_t deviceType);
// The four port flags are true/false values, given to the library as 0 or 1.
int32_t DaqIOGet8255Conf(Program& p, int32_t handle, int32_t portA, int32_t portB,
                         int32_t portCHigh, int32_t portCLow, int32_t& config);
int32_t DaqIOWrite(Program& p, int32_t handle, int32_t deviceType, int32_t port,
                   int32_t deviceNumber, int32_t expansionPort, int32_t value);
int32_t DaqIORead(Program& p, int32_t handle, int32_t deviceType, int32_t port,
                  int32_t deviceNumber, int32_t expansionPort, int32_t& value);

// The prefixes of an acquisition routine's failure message.
struct RoutinePrefixes {
  const char* RunTime;
  const char* Library;
};

// The failure box of the acquisition routines, titled "Error!".
void ReportAcquisitionError(Program& p, const RoutinePrefixes& prefixes, const common::RunError& e);

// A board failure outside the acquisition routines (a line write, a disarm), in a box
// titled "Error!" with the library's code and text; once per event, never a flood.
void ReportBoardFailure(Program& p, int32_t code);

// While it lives, a failing call returns its code instead of raising (a library that
// cannot be loaded still raises 48); the raise number comes back however the scope ends.
class QuietCalls {
 public:
  explicit QuietCalls(State& d) : d_(d), raise_(d.DaqRaiseNumber) { d_.DaqRaiseNumber = 0; }
  ~QuietCalls() { d_.DaqRaiseNumber = raise_; }
  QuietCalls(const QuietCalls&) = delete;
  QuietCalls& operator=(const QuietCalls&) = delete;

 private:
  State& d_;
  int32_t raise_;
};

// Runs an acquisition routine's body: failing calls raise 100, and any run-time error
// ends the routine with its one box. Returns false when the routine failed: the caller
// must not go on as if it had finished (no fire after a failed arm, no data after a
// failed collect).
template <typename F>
bool RunAcquisitionRoutine(Program& p, const RoutinePrefixes& prefixes, F&& body) {
  SetDaqRaiseNumber(p, p.daq.ActiveHandle, 100);
  struct Depth {
    State& d;
    explicit Depth(State& s) : d(s) { ++d.RoutineDepth; }
    ~Depth() { --d.RoutineDepth; }
  } depth{p.daq};
  try {
    body();
    return true;
  } catch (const common::RunError& e) {
    ReportAcquisitionError(p, prefixes, e);
    return false;
  }
}

}  // namespace daq
