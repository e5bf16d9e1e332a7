// The simulated board's physical shaker, driven through the driver's functions, against its
// frequency response worked out here from the model's equations: amplifier, delay, coil,
// masses and springs solved at each line, with the held drive and the sampling's aliases.
#include <dlfcn.h>
#include <gtest/gtest.h>

#ifdef KRX8_DAQSIM_PATH

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using cd = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;
constexpr int kScans = 4096, kDriveCodes = 1024, kLevel = 400;

struct Shaker {
  double Ga = 31.4, AmpHz = 1e4, Delay = 100e-6, R = 1, L = 0.25e-3, Bl = 30;
  double Mc = 0.8, Mt = 2.2, Ks = 3e4, Cs = 30, ArmHz = 4500, ArmZeta = 0.03;
  double Mf = 0, FixHz = 500, FixZeta = 0.03;
};

// G per volt of amplifier input at s, at the table (which 0) or the fixture (which 1).
cd Continuous(const Shaker& p, cd s, int which) {
  double wa = 2 * kPi * p.AmpHz, w = 2 * kPi * p.ArmHz, wf = 2 * kPi * p.FixHz;
  double inv = 1 / p.Mc + 1 / (p.Mt + p.Mf);
  cd za = w * w / inv + 2 * p.ArmZeta * w / inv * s;
  cd zf = p.Mf * wf * wf + 2 * p.FixZeta * wf * p.Mf * s;
  int n = p.Mf > 0 ? 4 : 3;  // unknowns: current, coil, table and fixture displacements
  cd m[4][5] = {};
  m[0][0] = p.L * s + p.R;
  m[0][1] = p.Bl * s;
  m[0][4] = p.Ga * wa * wa / (s * s + std::sqrt(2.0) * wa * s + wa * wa);
  m[1][0] = -p.Bl;
  m[1][1] = p.Mc * s * s + p.Cs * s + p.Ks + za;
  m[1][2] = -za;
  m[2][1] = -za;
  m[2][2] = p.Mt * s * s + za + (n == 4 ? zf : 0.0);
  if (n == 4) {
    m[2][3] = -zf;
    m[3][2] = -zf;
    m[3][3] = p.Mf * s * s + zf;
  }
  for (int c = 0; c < n; ++c) {
    int piv = c;
    for (int r = c + 1; r < n; ++r)
      if (std::abs(m[r][c]) > std::abs(m[piv][c])) piv = r;
    for (int k = 0; k <= 4; ++k) std::swap(m[c][k], m[piv][k]);
    for (int r = 0; r < n; ++r)
      if (r != c) {
        cd f = m[r][c] / m[c][c];
        for (int k = c; k < n; ++k) m[r][k] -= f * m[c][k];
        m[r][4] -= f * m[c][4];
      }
  }
  int x = which == 0 ? 2 : 3;
  return s * s * (m[x][4] / m[x][x]) / 9.80665;
}

// The sampled response to a drive held over each scan: the continuous one with the delay
// and the hold, summed over the aliases of the line.
cd Sampled(const Shaker& p, double f, double fs, int which) {
  double t = 1 / fs;
  cd hold = 1.0 - std::exp(cd(0, -2 * kPi * f * t));
  cd sum = 0;
  for (int m = -30; m <= 30; ++m) {
    double w = 2 * kPi * (f + m * fs);
    sum += Continuous(p, cd(0, w), which) * std::exp(cd(0, -w * p.Delay)) / cd(0, w);
  }
  return hold * sum / t;
}

const char* const kVars[] = {"DAQSIM_PLANT",    "DAQSIM_NOISE",     "DAQSIM_DELAY_US",
                             "DAQSIM_AMP_HZ",   "DAQSIM_FIX_KG",    "DAQSIM_FIX_HZ",
                             "DAQSIM_ACCEL_AT", "DAQSIM_STROKE_MM", "DAQSIM_COIL_R",
                             "DAQSIM_BL",       "DAQSIM_COIL_L"};

// The library and its variables, released however the test ends: later tests expect
// neither.
struct Lib {
  void* h = dlopen(KRX8_DAQSIM_PATH, RTLD_NOW | RTLD_LOCAL);
  ~Lib() {
    for (const char* v : kVars) unsetenv(v);
    if (h) dlclose(h);
  }
  template <typename F>
  F* Fn(const char* name) {
    return reinterpret_cast<F*>(dlsym(h, name));
  }
};

TEST(ShakerPlant, RecordsTheModelsResponseAndRefusesBadSettings) {
  for (const char* v : kVars) unsetenv(v);
  Lib lib;
  ASSERT_NE(lib.h, nullptr) << dlerror();
  auto reset = lib.Fn<int32_t()>("daqsimReset");
  auto query = lib.Fn<double(const char*, int32_t)>("daqsimQuery");
  auto logText = lib.Fn<int32_t(char*, int32_t)>("daqsimLog");
  auto openBoard = lib.Fn<int32_t(const char*)>("daqOpen");
  auto lastError = lib.Fn<int32_t(int32_t, int32_t*)>("daqGetLastError");
  auto setScan = lib.Fn<int32_t(int32_t, int32_t*, int32_t*, int32_t*, int32_t)>("daqAdcSetScan");
  auto setAcq = lib.Fn<int32_t(int32_t, int32_t, int32_t, int32_t)>("daqAdcSetAcq");
  auto setFreq = lib.Fn<int32_t(int32_t, float)>("daqAdcSetFreq");
  auto ioWrite =
      lib.Fn<int32_t(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)>("daqIOWrite");
  auto dacClock = lib.Fn<int32_t(int32_t, int32_t, int32_t, int32_t)>("daqDacWaveSetClockSource");
  auto dacBuffer = lib.Fn<int32_t(int32_t, int32_t, int32_t, uint16_t*, int32_t, int32_t)>(
      "daqDacWaveSetBuffer");
  auto dacArm = lib.Fn<int32_t(int32_t, int32_t)>("daqDacWaveArm");
  auto dacTrig = lib.Fn<int32_t(int32_t, int32_t, int32_t)>("daqDacWaveSoftTrig");
  auto adcArm = lib.Fn<int32_t(int32_t)>("daqAdcArm");
  auto adcTrig = lib.Fn<int32_t(int32_t)>("daqAdcSoftTrig");
  auto bufData =
      lib.Fn<int32_t(int32_t, int16_t*, int32_t, int32_t, int32_t*)>("daqAdcTransferBufData");
  ASSERT_TRUE(reset && query && logText && openBoard && bufData && ioWrite && dacTrig);
  auto log = [&] {
    std::string s(static_cast<size_t>(logText(nullptr, 0)) + 1, '\0');
    logText(s.data(), static_cast<int32_t>(s.size()));
    return s;
  };

  // A broadband drive: pseudo-random codes about the middle, then the middle held.
  std::vector<cd> twiddle(kScans);
  for (int k = 0; k < kScans; ++k) twiddle[k] = std::polar(1.0, -2 * kPi * k / kScans);
  std::vector<uint16_t> codes(kDriveCodes, 32768);
  uint32_t rng = 7;
  for (int k = 0; k < kDriveCodes - 24; ++k) {
    rng = rng * 1664525u + 1013904223u;
    codes[k] = static_cast<uint16_t>(32768 + static_cast<int>(rng >> 18) - 8192);
  }
  auto drive = [&](int k) {  // amplifier input, volts; the amplifier inverts
    double u = k < kDriveCodes ? codes[k] : 32768.0;
    return -(u - 32768.0) / 32768.0 * kLevel / 400.0;
  };

  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> env;
    Shaker model;
    double fs;
    int at[2];  // what channels 1 and 2 see: 0 table, 1 fixture
    double strokeMm;
  };
  Shaker rigid, fixture, changed;
  fixture.Mt = 1.4;
  fixture.Mf = 0.8;
  changed.Delay = 250e-6;  // 2.56 scans: whole and fractional parts
  changed.AmpHz = 3000;
  changed.Mf = 0.5;
  changed.FixHz = 800;
  changed.R = 1.5;
  const std::vector<Case> cases = {
      {"shaker", {{"DAQSIM_PLANT", "shaker"}}, rigid, 5120, {0, 0}, 25},
      {"fixture", {{"DAQSIM_PLANT", "fixture"}}, fixture, 1280, {1, 1}, 25},
      {"overrides",
       {{"DAQSIM_PLANT", "shaker"},
        {"DAQSIM_DELAY_US", "250"},
        {"DAQSIM_AMP_HZ", "3000"},
        {"DAQSIM_FIX_KG", "0.5"},
        {"DAQSIM_FIX_HZ", "800"},
        {"DAQSIM_COIL_R", "1.5"},
        {"DAQSIM_ACCEL_AT", "table,fixture"},
        {"DAQSIM_STROKE_MM", "0.01"}},
       changed,
       10240,
       {0, 1},
       0.01}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* v : kVars) unsetenv(v);
    setenv("DAQSIM_NOISE", "0", 1);
    for (const auto& e : c.env) setenv(e.first, e.second, 1);
    reset();
    int32_t h = openBoard("DaqBoard1K0");
    ASSERT_EQ(h, 1);
    // The drive level through the serial lines: 24 bits clocked while bit 4 is low.
    ioWrite(h, 1, 0, 0, 0, 0);
    for (int bit = 23; bit >= 0; --bit) {
      int data = ((kLevel >> bit) & 1) << 1;
      ioWrite(h, 1, 0, 0, 0, data);
      ioWrite(h, 1, 0, 0, 0, data | 1);
    }
    ioWrite(h, 1, 0, 0, 0, 16);
    ASSERT_EQ(query("DriveLevel", 0), kLevel);
    int32_t chans[2] = {0, 1}, gains[2] = {1, 1}, flags[2] = {0, 0};
    ASSERT_EQ(setScan(h, chans, gains, flags, 2), 0);
    ASSERT_EQ(setAcq(h, 0, 0, kScans), 0);
    ASSERT_EQ(setFreq(h, static_cast<float>(c.fs)), 0);
    ASSERT_EQ(dacClock(h, 0, 0, 2), 0);
    ASSERT_EQ(dacBuffer(h, 0, 0, codes.data(), kDriveCodes, 0), 0);
    ASSERT_EQ(dacArm(h, 0), 0);
    ASSERT_EQ(adcArm(h), 0);
    ASSERT_EQ(dacTrig(h, 0, 0), 0);
    ASSERT_EQ(adcTrig(h), 0);
    std::vector<int16_t> rec(2 * kScans);
    int32_t got = 0;
    ASSERT_EQ(bufData(h, rec.data(), kScans, 0, &got), 0);
    ASSERT_EQ(got, kScans);

    const double perG = 10 * 13.108 * 2;  // 10 mV/G, gain code 1
    const int lines = static_cast<int>(0.4 * kScans);
    for (int ch = 0; ch < 2; ++ch) {
      SCOPED_TRACE(ch);
      std::vector<cd> y(lines + 1), expect(lines + 1);
      double peak = 0, worst = 0;
      int clipped = 0;
      for (int k = 0; k < kScans; ++k) clipped += std::abs(rec[2 * k + ch]) >= 32767;
      for (int l = 1; l <= lines; ++l) {
        cd yl = 0, ql = 0;
        for (int k = 0; k < kScans; ++k) {
          cd tw = twiddle[(static_cast<long>(l) * k) % kScans];
          yl += rec[2 * k + ch] / perG * tw;
          if (k < kDriveCodes) ql += drive(k) * tw;
        }
        y[l] = yl;
        expect[l] = Sampled(c.model, l * c.fs / kScans, c.fs, c.at[ch]) * ql;
        peak = std::max(peak, std::abs(yl));
      }
      for (int l = 1; l <= lines; ++l) worst = std::max(worst, std::abs(y[l] - expect[l]));
      EXPECT_EQ(clipped, 0);
      EXPECT_GT(peak, 100.0);  // several G over the drive's scans
      EXPECT_LT(worst, 0.01 * peak) << "worst " << worst / peak * 100 << " % of the peak";
    }
    double travel = query("TableTravel", 0);
    EXPECT_GT(travel, 0);
    EXPECT_GT(query("TableVelocity", 0), 0);
    EXPECT_GT(query("CoilCurrent", 0), 0);
    EXPECT_GT(query("AmpVolts", 0), 0);
    EXPECT_EQ(log().find("mm peak-to-peak beyond the") != std::string::npos, travel > c.strokeMm);
  }

  // A setting that is not a number, or not positive, fails the open and is named.
  for (const auto& bad : std::vector<std::pair<const char*, const char*>>{
           {"DAQSIM_COIL_R", "1 ohm"}, {"DAQSIM_BL", "-30"}, {"DAQSIM_PLANT", "rigid"}}) {
    for (const char* v : kVars) unsetenv(v);
    setenv("DAQSIM_PLANT", "fixture", 1);
    setenv(bad.first, bad.second, 1);
    reset();
    EXPECT_EQ(openBoard("DaqBoard1K0"), -1) << bad.first;
    int32_t code = 0;
    lastError(-1, &code);
    EXPECT_EQ(code, 3) << bad.first;
    EXPECT_NE(log().find(std::string("error: ") + bad.first), std::string::npos) << log();
  }
  // Made unsound on an open board, they refuse the next acquisition.
  unsetenv("DAQSIM_PLANT");
  reset();
  int32_t h = openBoard("DaqBoard1K0");
  int32_t chans[1] = {0}, gains[1] = {0}, flags[1] = {0};
  ASSERT_EQ(setScan(h, chans, gains, flags, 1), 0);
  ASSERT_EQ(setAcq(h, 0, 0, 64), 0);
  EXPECT_EQ(adcArm(h), 0);
  setenv("DAQSIM_COIL_L", "0", 1);
  lib.Fn<int32_t()>("daqsimReconfigure")();
  EXPECT_EQ(adcArm(h), 3);
}

}  // namespace

#endif
