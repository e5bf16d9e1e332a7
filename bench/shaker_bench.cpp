// One acquisition of 1024 scans of eight channels on the simulated board's physical shaker,
// through the driver's functions: with the plant discretised already, and at a rate seen for
// the first time (the matrix exponential included). The ideal shaker for comparison.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#ifdef KRX8_DAQSIM_PATH

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

enum Plant { kIdeal, kShaker, kFixture };

template <typename F>
F* Fn(void* lib, const char* name) {
  return reinterpret_cast<F*>(dlsym(lib, name));
}

void BM_Acquisition(benchmark::State& state) {
  const char* plants[] = {"ideal", "shaker", "fixture"};
  bool rediscretise = state.range(1) != 0;
  setenv("DAQSIM_PLANT", plants[state.range(0)], 1);
  void* lib = dlopen(KRX8_DAQSIM_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    state.SkipWithError("no simulator");
    return;
  }
  auto reset = Fn<int32_t()>(lib, "daqsimReset");
  auto reconfigure = Fn<int32_t()>(lib, "daqsimReconfigure");
  auto open = Fn<int32_t(const char*)>(lib, "daqOpen");
  auto setScan = Fn<int32_t(int32_t, int32_t*, int32_t*, int32_t*, int32_t)>(lib, "daqAdcSetScan");
  auto setAcq = Fn<int32_t(int32_t, int32_t, int32_t, int32_t)>(lib, "daqAdcSetAcq");
  auto setFreq = Fn<int32_t(int32_t, float)>(lib, "daqAdcSetFreq");
  auto ioWrite =
      Fn<int32_t(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)>(lib, "daqIOWrite");
  auto dacClock = Fn<int32_t(int32_t, int32_t, int32_t, int32_t)>(lib, "daqDacWaveSetClockSource");
  auto dacBuffer = Fn<int32_t(int32_t, int32_t, int32_t, uint16_t*, int32_t, int32_t)>(
      lib, "daqDacWaveSetBuffer");
  auto dacArm = Fn<int32_t(int32_t, int32_t)>(lib, "daqDacWaveArm");
  auto dacTrig = Fn<int32_t(int32_t, int32_t, int32_t)>(lib, "daqDacWaveSoftTrig");
  auto adcArm = Fn<int32_t(int32_t)>(lib, "daqAdcArm");
  auto adcTrig = Fn<int32_t(int32_t)>(lib, "daqAdcSoftTrig");
  auto bufData =
      Fn<int32_t(int32_t, int16_t*, int32_t, int32_t, int32_t*)>(lib, "daqAdcTransferBufData");
  reset();
  int32_t h = open("DaqBoard1K0");
  ioWrite(h, 1, 0, 0, 0, 0);  // drive level 400: 1 V at full scale
  for (int bit = 23; bit >= 0; --bit) {
    int data = ((400 >> bit) & 1) << 1;
    ioWrite(h, 1, 0, 0, 0, data);
    ioWrite(h, 1, 0, 0, 0, data | 1);
  }
  ioWrite(h, 1, 0, 0, 0, 16);
  int32_t chans[8] = {0, 1, 2, 3, 4, 5, 6, 7}, gains[8] = {}, flags[8] = {};
  setScan(h, chans, gains, flags, 8);
  setAcq(h, 0, 0, 1024);
  setFreq(h, 5120);
  dacClock(h, 0, 0, 2);
  std::vector<uint16_t> codes(1024, 32768);
  for (int k = 100; k < 156; ++k) codes[k] = 20000;  // an 11 ms pulse
  dacBuffer(h, 0, 0, codes.data(), 1024, 0);
  std::vector<int16_t> rec(8 * 1024);
  int32_t got = 0;
  for (auto _ : state) {
    if (rediscretise) reconfigure();
    dacArm(h, 0);
    adcArm(h);
    dacTrig(h, 0, 0);
    adcTrig(h);
    bufData(h, rec.data(), 1024, 0, &got);
    benchmark::DoNotOptimize(rec.data());
  }
  dlclose(lib);
  unsetenv("DAQSIM_PLANT");
}
BENCHMARK(BM_Acquisition)
    ->ArgsProduct({{kIdeal, kShaker, kFixture}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

#endif
