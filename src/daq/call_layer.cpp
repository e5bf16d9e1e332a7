#include "daq/call_layer.h"

#include <dlfcn.h>

#include <cstdlib>
#include <limits>

namespace daq {

namespace {

// True/false values of the system are -1 and 0; the library wants 0 or 1.
int32_t Flag(int32_t v) {
  if (v == std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::max();
  return v < 0 ? -v : v;
}

// The last-error rule: keep the code, and raise once the acquisition routines asked for it.
int32_t Check(Program& p, int32_t code) {
  p.daq.DaqLastError = code;
  if (code != 0 && p.daq.DaqRaiseNumber != 0)
    throw common::RunError(p.daq.DaqRaiseNumber, "DaqX Error : " + std::to_string(code));
  return code;
}

template <typename Fn, typename... A>
int32_t Call(Program& p, Fn DriverTable::*slot, A... args) {
  RequireLibrary(p);
  return Check(p, (p.daq.Driver.*slot)(args...));
}

bool TryLoad(Program& p, const std::string& path) {
  auto& d = p.daq;
  DriverTable table;
  void* lib = nullptr;
  std::string why;
  if (!LoadDriverLibrary(path, table, lib, why)) {
    d.DriverLoadFailure = why;
    return false;
  }
  d.Driver = table;
  d.DriverLibrary = lib;
  d.DriverBound = true;
  d.DriverLoadFailure.clear();
  return true;
}

}  // namespace

bool EnsureDriver(Program& p) {
  auto& d = p.daq;
  if (d.DriverBound) return true;
  if (d.DriverLoadTried) return false;
  d.DriverLoadTried = true;
  if (!d.DriverPath.empty() && TryLoad(p, d.DriverPath)) return true;
  const char* named = std::getenv(kDriverLibraryVariable);
  if (named != nullptr && *named != '\0' && TryLoad(p, named)) return true;
  return TryLoad(p, kDriverLibraryName);
}

void BindDriverTable(Program& p, const DriverTable& table) {
  ReleaseDriver(p);
  if (!Complete(table)) return;  // an incomplete table is a library that cannot be used
  p.daq.Driver = table;
  p.daq.DriverBound = true;
  p.daq.DriverLoadTried = true;
}

void ReleaseDriver(Program& p) {
  auto& d = p.daq;
  if (d.DriverLibrary != nullptr) dlclose(d.DriverLibrary);
  d.DriverLibrary = nullptr;
  d.Driver = DriverTable{};
  d.DriverBound = false;
  d.DriverLoadTried = false;
}

void RequireLibrary(Program& p) {
  if (!EnsureDriver(p)) throw common::RunError(common::kErrFileNotFoundLib);
}

int32_t OpenDaqDevice(Program& p, const std::string& name) {
  auto& d = p.daq;
  if (!d.DriverBound) d.DriverLoadTried = false;  // each open looks for the library again
  DaqSetDefaultErrorHandler(p, nullptr);
  RequireLibrary(p);
  int32_t handle = d.Driver.daqOpen(name.c_str());
  int32_t code = 0;
  int32_t rc = d.Driver.daqGetLastError(handle, &code);
  // The open's own failure is the code asked for; a failing query counts as one too.
  d.DaqLastError = rc != 0 ? rc : code;
  if (d.DaqLastError != 0 && d.DaqRaiseNumber != 0)
    throw common::RunError(d.DaqRaiseNumber, "DaqX Error : " + std::to_string(d.DaqLastError));
  return handle;
}

void SetDaqRaiseNumber(Program& p, int32_t, int32_t number) {
  p.daq.DaqLastError = 0;
  p.daq.DaqRaiseNumber = number;
}

std::string FormatDaqError(Program& p, int32_t code) {
  if (!EnsureDriver(p)) return std::string();
  char text[256] = {};
  p.daq.DaqLastError = p.daq.Driver.daqFormatError(code, text);
  // One character per byte: bytes past ASCII are Latin-1 characters, held as UTF-8.
  std::string out;
  for (size_t n = 0; n < sizeof text && text[n] != '\0'; ++n) {
    auto b = static_cast<unsigned char>(text[n]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

int32_t DaqSetDefaultErrorHandler(Program& p, DaqErrorHandlerFn handler) {
  return Call(p, &DriverTable::daqSetDefaultErrorHandler, handler);
}
int32_t DaqGetLastError(Program& p, int32_t handle, int32_t& code) {
  return Call(p, &DriverTable::daqGetLastError, handle, &code);
}
int32_t DaqSetOption(Program& p, int32_t handle, int32_t channel, int32_t flags, int32_t option,
                     float value) {
  return Call(p, &DriverTable::daqSetOption, handle, channel, flags, option, value);
}
int32_t DaqAdcSetScan(Program& p, int32_t handle, int32_t* channels, int32_t* gains, int32_t* flags,
                      int32_t count) {
  return Call(p, &DriverTable::daqAdcSetScan, handle, channels, gains, flags, count);
}
int32_t DaqAdcSetAcq(Program& p, int32_t handle, int32_t mode, int32_t pre, int32_t post) {
  return Call(p, &DriverTable::daqAdcSetAcq, handle, mode, pre, post);
}
int32_t DaqAdcSetClockSource(Program& p, int32_t handle, int32_t source) {
  return Call(p, &DriverTable::daqAdcSetClockSource, handle, source);
}
int32_t DaqAdcSetFreq(Program& p, int32_t handle, float freq) {
  return Call(p, &DriverTable::daqAdcSetFreq, handle, freq);
}
int32_t DaqSetTriggerEvent(Program& p, int32_t handle, int32_t source, int32_t sensitivity,
                           int32_t channel, int32_t gain, int32_t flags, int32_t channelType,
                           float level, float hysteresis, int32_t event) {
  return Call(p, &DriverTable::daqSetTriggerEvent, handle, source, sensitivity, channel, gain,
              flags, channelType, level, hysteresis, event);
}
int32_t DaqAdcTransferSetBuffer(Program& p, int32_t handle, int16_t* buffer, int32_t scans,
                                int32_t mask) {
  return Call(p, &DriverTable::daqAdcTransferSetBuffer, handle, buffer, scans, mask);
}
int32_t DaqAdcTransferStart(Program& p, int32_t handle) {
  return Call(p, &DriverTable::daqAdcTransferStart, handle);
}
int32_t DaqAdcArm(Program& p, int32_t handle) {
  return Call(p, &DriverTable::daqAdcArm, handle);
}
int32_t DaqAdcSoftTrig(Program& p, int32_t handle) {
  return Call(p, &DriverTable::daqAdcSoftTrig, handle);
}
int32_t DaqAdcDisarm(Program& p, int32_t handle) {
  return Call(p, &DriverTable::daqAdcDisarm, handle);
}
int32_t DaqAdcTransferGetStat(Program& p, int32_t handle, int32_t& active, int32_t& count) {
  return Call(p, &DriverTable::daqAdcTransferGetStat, handle, &active, &count);
}
int32_t DaqAdcTransferBufData(Program& p, int32_t handle, int16_t* buffer, int32_t scans,
                              int32_t mask, int32_t& retCount) {
  return Call(p, &DriverTable::daqAdcTransferBufData, handle, buffer, scans, mask, &retCount);
}
int32_t DaqDacSetOutputMode(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                            int32_t mode) {
  return Call(p, &DriverTable::daqDacSetOutputMode, handle, deviceType, channel, mode);
}
int32_t DaqDacWaveSetTrig(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          int32_t source, int32_t rising) {
  return Call(p, &DriverTable::daqDacWaveSetTrig, handle, deviceType, channel, source,
              Flag(rising));
}
int32_t DaqDacWaveSetClockSource(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                                 int32_t source) {
  return Call(p, &DriverTable::daqDacWaveSetClockSource, handle, deviceType, channel, source);
}
int32_t DaqDacWaveSetFreq(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          float freq) {
  return Call(p, &DriverTable::daqDacWaveSetFreq, handle, deviceType, channel, freq);
}
int32_t DaqDacWaveSetMode(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                          int32_t mode, int32_t updateCount) {
  return Call(p, &DriverTable::daqDacWaveSetMode, handle, deviceType, channel, mode, updateCount);
}
int32_t DaqDacWaveSetBuffer(Program& p, int32_t handle, int32_t deviceType, int32_t channel,
                            uint16_t* buffer, int32_t count, int32_t mask) {
  return Call(p, &DriverTable::daqDacWaveSetBuffer, handle, deviceType, channel, buffer, count,
              mask);
}
int32_t DaqDacWaveSetUserWave(Program& p, int32_t handle, int32_t deviceType, int32_t channel) {
  return Call(p, &DriverTable::daqDacWaveSetUserWave, handle, deviceType, channel);
}
int32_t DaqDacTransferStart(Program& p, int32_t handle, int32_t deviceType, int32_t channel) {
  return Call(p, &DriverTable::daqDacTransferStart, handle, deviceType, channel);
}
int32_t DaqDacWaveArm(Program& p, int32_t handle, int32_t deviceType) {
  return Call(p, &DriverTable::daqDacWaveArm, handle, deviceType);
}
int32_t DaqDacWaveSoftTrig(Program& p, int32_t handle, int32_t deviceType, int32_t channel) {
  return Call(p, &DriverTable::daqDacWaveSoftTrig, handle, deviceType, channel);
}
int32_t DaqDacWaveDisarm(Program& p, int32_t handle, int32_t deviceType) {
  return Call(p, &DriverTable::daqDacWaveDisarm, handle, deviceType);
}
int32_t DaqIOGet8255Conf(Program& p, int32_t handle, int32_t portA, int32_t portB,
                         int32_t portCHigh, int32_t portCLow, int32_t& config) {
  return Call(p, &DriverTable::daqIOGet8255Conf, handle, Flag(portA), Flag(portB), Flag(portCHigh),
              Flag(portCLow), &config);
}
int32_t DaqIOWrite(Program& p, int32_t handle, int32_t deviceType, int32_t port,
                   int32_t deviceNumber, int32_t expansionPort, int32_t value) {
  return Call(p, &DriverTable::daqIOWrite, handle, deviceType, port, deviceNumber, expansionPort,
              value);
}
int32_t DaqIORead(Program& p, int32_t handle, int32_t deviceType, int32_t port,
                  int32_t deviceNumber, int32_t expansionPort, int32_t& value) {
  return Call(p, &DriverTable::daqIORead, handle, deviceType, port, deviceNumber, expansionPort,
              &value);
}

void ReportAcquisitionError(Program& p, const RoutinePrefixes& prefixes,
                            const common::RunError& e) {
  if (!(p.daq.DaqLastError > 0 || e.Number() > 0)) return;
  std::string text;
  if (e.Number() != 100) {
    text = prefixes.RunTime + std::to_string(e.Number()) + "\n" + e.Description();
  } else {
    int32_t code = p.daq.DaqLastError;
    text = prefixes.Library + std::to_string(code) + "\n" + FormatDaqError(p, code);
  }
  // The operator now knows the board fails: later line writes of this event say no more.
  p.daq.LineErrorShown = true;
  p.daq.LastBoardError = text;
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, "Error!");
}

void ReportBoardFailure(Program& p, int32_t code) {
  if (p.daq.LineErrorShown) return;
  p.daq.LineErrorShown = true;
  int32_t last = p.daq.DaqLastError;
  std::string text = "DaqX Error : " + std::to_string(code) + "\n" + FormatDaqError(p, code);
  p.daq.DaqLastError = last;
  p.daq.LastBoardError = text;
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::None, "Error!");
}

}  // namespace daq
