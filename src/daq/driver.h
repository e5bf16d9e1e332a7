#pragma once
// The board driver's C functions, as the system calls them, and the table through which
// they are reached. The table is filled from the shared library at run time, or by a test
// with functions of its own; nothing else calls the driver.
#include <cstdint>
#include <string>

extern "C" {
// Handles and codes are 32-bit; every function but daqOpen returns an error code, 0 = success.
typedef void (*DaqErrorHandlerFn)(int32_t handle, int32_t code);
typedef int32_t (*daqSetDefaultErrorHandlerFn)(DaqErrorHandlerFn handler);
typedef int32_t (*daqOpenFn)(const char* deviceName);  // a handle, or -1
typedef int32_t (*daqGetLastErrorFn)(int32_t handle, int32_t* code);
typedef int32_t (*daqFormatErrorFn)(int32_t code, char* text256);
typedef int32_t (*daqSetOptionFn)(int32_t handle, int32_t channel, int32_t flags, int32_t option,
                                  float value);
typedef int32_t (*daqAdcSetScanFn)(int32_t handle, int32_t* channels, int32_t* gains,
                                   int32_t* flags, int32_t count);
typedef int32_t (*daqAdcSetAcqFn)(int32_t handle, int32_t mode, int32_t preTrigCount,
                                  int32_t postTrigCount);
typedef int32_t (*daqAdcSetClockSourceFn)(int32_t handle, int32_t source);
typedef int32_t (*daqAdcSetFreqFn)(int32_t handle, float freq);
typedef int32_t (*daqSetTriggerEventFn)(int32_t handle, int32_t source, int32_t sensitivity,
                                        int32_t channel, int32_t gain, int32_t flags,
                                        int32_t channelType, float level, float hysteresis,
                                        int32_t event);
typedef int32_t (*daqAdcTransferSetBufferFn)(int32_t handle, int16_t* buffer, int32_t scans,
                                             int32_t mask);
typedef int32_t (*daqAdcHandleFn)(int32_t handle);  // TransferStart, Arm, SoftTrig, Disarm
typedef int32_t (*daqAdcTransferGetStatFn)(int32_t handle, int32_t* active, int32_t* count);
typedef int32_t (*daqAdcTransferBufDataFn)(int32_t handle, int16_t* buffer, int32_t scans,
                                           int32_t mask, int32_t* retCount);
typedef int32_t (*daqDacSetOutputModeFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                         int32_t mode);
typedef int32_t (*daqDacWaveSetTrigFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                       int32_t triggerSource, int32_t rising);
typedef int32_t (*daqDacWaveSetClockSourceFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                              int32_t clockSource);
typedef int32_t (*daqDacWaveSetFreqFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                       float freq);
typedef int32_t (*daqDacWaveSetModeFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                       int32_t mode, int32_t updateCount);
typedef int32_t (*daqDacWaveSetBufferFn)(int32_t handle, int32_t deviceType, int32_t channel,
                                         uint16_t* buffer, int32_t count, int32_t mask);
typedef int32_t (*daqDacChannelFn)(int32_t handle, int32_t deviceType, int32_t channel);
typedef int32_t (*daqDacDeviceFn)(int32_t handle, int32_t deviceType);  // Arm, Disarm
typedef int32_t (*daqIOGet8255ConfFn)(int32_t handle, int32_t portA, int32_t portB,
                                      int32_t portCHigh, int32_t portCLow, int32_t* config);
typedef int32_t (*daqIOWriteFn)(int32_t handle, int32_t deviceType, int32_t port,
                                int32_t deviceNumber, int32_t expansionPort, int32_t value);
typedef int32_t (*daqIOReadFn)(int32_t handle, int32_t deviceType, int32_t port,
                               int32_t deviceNumber, int32_t expansionPort, int32_t* value);
}

namespace daq {

// One pointer per driver function, named as the library exports it.
struct DriverTable {
  daqSetDefaultErrorHandlerFn daqSetDefaultErrorHandler = nullptr;
  daqOpenFn daqOpen = nullptr;
  daqGetLastErrorFn daqGetLastError = nullptr;
  daqFormatErrorFn daqFormatError = nullptr;
  daqSetOptionFn daqSetOption = nullptr;
  daqAdcSetScanFn daqAdcSetScan = nullptr;
  daqAdcSetAcqFn daqAdcSetAcq = nullptr;
  daqAdcSetClockSourceFn daqAdcSetClockSource = nullptr;
  daqAdcSetFreqFn daqAdcSetFreq = nullptr;
  daqSetTriggerEventFn daqSetTriggerEvent = nullptr;
  daqAdcTransferSetBufferFn daqAdcTransferSetBuffer = nullptr;
  daqAdcHandleFn daqAdcTransferStart = nullptr;
  daqAdcHandleFn daqAdcArm = nullptr;
  daqAdcHandleFn daqAdcSoftTrig = nullptr;
  daqAdcHandleFn daqAdcDisarm = nullptr;
  daqAdcTransferGetStatFn daqAdcTransferGetStat = nullptr;
  daqAdcTransferBufDataFn daqAdcTransferBufData = nullptr;
  daqDacSetOutputModeFn daqDacSetOutputMode = nullptr;
  daqDacWaveSetTrigFn daqDacWaveSetTrig = nullptr;
  daqDacWaveSetClockSourceFn daqDacWaveSetClockSource = nullptr;
  daqDacWaveSetFreqFn daqDacWaveSetFreq = nullptr;
  daqDacWaveSetModeFn daqDacWaveSetMode = nullptr;
  daqDacWaveSetBufferFn daqDacWaveSetBuffer = nullptr;
  daqDacChannelFn daqDacWaveSetUserWave = nullptr;
  daqDacChannelFn daqDacTransferStart = nullptr;
  daqDacDeviceFn daqDacWaveArm = nullptr;
  daqDacChannelFn daqDacWaveSoftTrig = nullptr;
  daqDacDeviceFn daqDacWaveDisarm = nullptr;
  daqIOGet8255ConfFn daqIOGet8255Conf = nullptr;
  daqIOWriteFn daqIOWrite = nullptr;
  daqIOReadFn daqIORead = nullptr;
};

// The library's file name, and the variable that may name another file to try first.
inline constexpr const char* kDriverLibraryName = "libdaqx.so";
inline constexpr const char* kDriverLibraryVariable = "KRX8_DAQX_LIBRARY";

// True when every function of the table is present.
bool Complete(const DriverTable& t);

// Loads the library at `path` and fills `table` from it; on failure the table is left
// empty, `library` is null and `why` says what went wrong.
bool LoadDriverLibrary(const std::string& path, DriverTable& table, void*& library,
                       std::string& why);

}  // namespace daq
