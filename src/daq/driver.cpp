#include "daq/driver.h"

#include <dlfcn.h>

namespace daq {

namespace {

template <typename Fn>
bool Bind(void* lib, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(dlsym(lib, name));
  return slot != nullptr;
}

// Every function, by the name the library exports; a missing one makes the library unusable.
bool BindAll(void* lib, DriverTable& t) {
  bool ok = true;
#define KRX_BIND(name) ok = Bind(lib, #name, t.name) && ok
  KRX_BIND(daqSetDefaultErrorHandler);
  KRX_BIND(daqOpen);
  KRX_BIND(daqGetLastError);
  KRX_BIND(daqFormatError);
  KRX_BIND(daqSetOption);
  KRX_BIND(daqAdcSetScan);
  KRX_BIND(daqAdcSetAcq);
  KRX_BIND(daqAdcSetClockSource);
  KRX_BIND(daqAdcSetFreq);
  KRX_BIND(daqSetTriggerEvent);
  KRX_BIND(daqAdcTransferSetBuffer);
  KRX_BIND(daqAdcTransferStart);
  KRX_BIND(daqAdcArm);
  KRX_BIND(daqAdcSoftTrig);
  KRX_BIND(daqAdcDisarm);
  KRX_BIND(daqAdcTransferGetStat);
  KRX_BIND(daqAdcTransferBufData);
  KRX_BIND(daqDacSetOutputMode);
  KRX_BIND(daqDacWaveSetTrig);
  KRX_BIND(daqDacWaveSetClockSource);
  KRX_BIND(daqDacWaveSetFreq);
  KRX_BIND(daqDacWaveSetMode);
  KRX_BIND(daqDacWaveSetBuffer);
  KRX_BIND(daqDacWaveSetUserWave);
  KRX_BIND(daqDacTransferStart);
  KRX_BIND(daqDacWaveArm);
  KRX_BIND(daqDacWaveSoftTrig);
  KRX_BIND(daqDacWaveDisarm);
  KRX_BIND(daqIOGet8255Conf);
  KRX_BIND(daqIOWrite);
  KRX_BIND(daqIORead);
#undef KRX_BIND
  return ok;
}

}  // namespace

bool Complete(const DriverTable& t) {
  const auto* slots = reinterpret_cast<void* const*>(&t);
  constexpr size_t n = sizeof(DriverTable) / sizeof(void*);
  for (size_t i = 0; i < n; ++i)
    if (slots[i] == nullptr) return false;
  return true;
}

bool LoadDriverLibrary(const std::string& path, DriverTable& table, void*& library,
                       std::string& why) {
  table = DriverTable{};
  library = nullptr;
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) {
    const char* e = dlerror();
    why = e ? e : "cannot be loaded";
    return false;
  }
  DriverTable t;
  if (!BindAll(lib, t)) {
    why = path + ": a driver function is missing";
    dlclose(lib);
    return false;
  }
  table = t;
  library = lib;
  return true;
}

}  // namespace daq
