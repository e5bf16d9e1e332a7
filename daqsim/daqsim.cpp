// A simulated board driver: the driver's C functions over one or two simulated boards and
// a shaker with accelerometers. Configured by environment variables (see README.md).
// Never blocks: every call returns at once; an acquisition completes after a few polls, or
// after its scans' wall time with DAQSIM_REALTIME=1.
#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "plant.h"

#define DAQX_API extern "C" __attribute__((visibility("default")))

extern "C" typedef void (*DaqErrorHandlerFn)(int32_t handle, int32_t code);

namespace {

enum Code : int32_t {
  kOk = 0,
  kBadHandle = 2,
  kBadArgument = 3,
  kNotArmed = 4,
  kHardware = 5,
  kNullBuffer = 6,
  kNotFound = 7,
};

const char* CodeText(int32_t code) {
  switch (code) {
    case kOk:
      return "No error";
    case kBadHandle:
      return "Invalid device handle";
    case kBadArgument:
      return "Invalid argument";
    case kNotArmed:
      return "Acquisition not armed";
    case kHardware:
      return "Hardware failure (simulated)";
    case kNullBuffer:
      return "Buffer pointer is null";
    case kNotFound:
      return "Device not found";
    default:
      return "Unknown error";
  }
}

constexpr int kBoards = 2;
constexpr int kEntries = 8;
constexpr const char* kNames[kBoards] = {"DaqBoard1K0", "DaqBoard1K1"};
constexpr size_t kLogCap = 16u << 20;

struct Failure {
  std::string Name;
  int32_t Code = 0;
  long Nth = 0;  // 0: every call
};

struct Config {
  bool Present[kBoards] = {true, true};
  double ShakerGain = 32;  // G per volt of drive
  // Load factor of the shaker: the amplifier inverts, and the drive it needs carries
  // Load x acceleration plus 0.075 x its running sum. 0: a plain proportional shaker.
  double Load = 1;
  double Sens[16];       // mV/G
  double Noise = 0.005;  // G
  unsigned Seed = 1;
  long BusyPolls = 3;
  bool Hang = false;
  bool Realtime = false;  // acquisitions take ScanCount / rate seconds of wall time
  long SlaveLag = 120;
  bool RequireCurrent = false;
  long BufDataCount = -1;  // -1: the scans recorded
  std::vector<Failure> Fails;
  std::vector<int32_t> PortC;
  std::string LogPath;
  daqsim::PlantConfig Plant;
};

struct Dac {
  uint16_t* Buf = nullptr;
  int32_t Count = 0, ClockSource = 0, TrigSource = 0;
  float Freq = 0;
  bool Armed = false, Playing = false;
  std::vector<uint16_t> Played;
  std::vector<double> Accel;  // the shaker's answer to Played, built at first use
  bool AccelValid = false;
  daqsim::PlantRun Run;  // the physical plant's answer, extended as scans are asked for
  double RunRate = 0;
};

struct Board {
  bool Open = false;
  int32_t LastError = 0;
  Dac Out[2];
  // Inputs.
  int32_t Chans[kEntries] = {}, Gains[kEntries] = {}, Flags[kEntries] = {};
  int32_t Entries = 0, Post = 0;
  float Freq = 0;
  int16_t* Xfer = nullptr;
  int32_t XferScans = 0;
  int32_t StartSource = 1, StartSense = 0, StartChan = 0, StartGain = 0;
  float Level = 0, Hyst = 0;
  bool Armed = false, Triggered = false, Complete = false, LevelChecked = false;
  long Polls = 0, Offset = 0;
  double StartedAt = 0;  // wall time of the start, seconds (realtime mode)
  std::vector<int16_t> Record;
  // Digital lines.
  int32_t PortA = 16, PortB = 0, Config8255 = 0;
  uint32_t Shift24 = 0, Shift8 = 0;
  int32_t Bits24 = 0, DriveLevel = 0, HighField = 0, MaxDriveLevel = 0;
  int32_t WordsLatched = 0, ShortWords = 0, CurrentSources = 0;
  int32_t Pulses = 0, MinCode = -1, MaxCode = -1;
  size_t PortCIndex = 0;
  // The physical plant over the last acquisition's scans.
  double TravelMm = 0, PeakVelocity = 0, PeakCurrent = 0, PeakAmpVolts = 0;
};

struct Sim {
  bool Loaded = false;
  Config Cfg;
  Board B[kBoards];
  int32_t NoHandleError = 0;
  long Opens = 0;
  std::vector<std::pair<std::string, long>> Calls;
  std::string Log;
  FILE* LogFile = nullptr;
  uint32_t Rng = 1;
  daqsim::Discrete Disc;  // the plant at DiscRate scans per second
  double DiscRate = 0;
  ~Sim() {
    if (LogFile) fclose(LogFile);
  }
};

Sim g;

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t a = 0;
  while (a <= s.size()) {
    size_t b = s.find(sep, a);
    if (b == std::string::npos) b = s.size();
    if (b > a) out.push_back(s.substr(a, b - a));
    a = b + 1;
  }
  return out;
}

// Integer text without the standard library's digit tables, whose shared copies would pin
// the library in memory (it must unload when its last user closes it).
std::string Num(long long v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%lld", v);
  return buf;
}

const char* Env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

double EnvNumber(const char* name, double def) {
  const char* v = Env(name);
  if (!v) return def;
  char* end = nullptr;
  double x = std::strtod(v, &end);
  return end != v && std::isfinite(x) ? x : def;
}

void Configure(bool keepBoards) {
  Config c;
  for (double& s : c.Sens) s = 10;
  if (const char* b = Env("DAQSIM_BOARDS")) {
    std::string v = b;
    if (v == "0" || v == "1" || v == "2") {
      int n = v[0] - '0';
      for (int i = 0; i < kBoards; ++i) c.Present[i] = i < n;
    } else {
      for (int i = 0; i < kBoards; ++i) c.Present[i] = false;
      for (const auto& name : Split(v, ','))
        for (int i = 0; i < kBoards; ++i)
          if (name == kNames[i]) c.Present[i] = true;
    }
  }
  c.ShakerGain = EnvNumber("DAQSIM_SHAKER_GAIN", c.ShakerGain);
  c.Load = EnvNumber("DAQSIM_LOAD", c.Load);
  if (const char* s = Env("DAQSIM_SENSITIVITY")) {
    auto items = Split(s, ',');
    for (int k = 0; k < 16 && !items.empty(); ++k) {
      const std::string& it = items[static_cast<size_t>(k) < items.size() ? k : items.size() - 1];
      double x = std::strtod(it.c_str(), nullptr);
      c.Sens[k] = std::isfinite(x) ? x : 10;
    }
  }
  c.Noise = EnvNumber("DAQSIM_NOISE", c.Noise);
  c.Seed = static_cast<unsigned>(EnvNumber("DAQSIM_SEED", 1));
  c.BusyPolls = static_cast<long>(EnvNumber("DAQSIM_BUSY_POLLS", 3));
  c.Hang = EnvNumber("DAQSIM_HANG", 0) != 0;
  c.Realtime = EnvNumber("DAQSIM_REALTIME", 0) != 0;
  c.SlaveLag = static_cast<long>(EnvNumber("DAQSIM_SLAVE_LAG", 120));
  c.RequireCurrent = EnvNumber("DAQSIM_REQUIRE_CURRENT", 0) != 0;
  c.BufDataCount = static_cast<long>(EnvNumber("DAQSIM_BUFDATA_COUNT", -1));
  if (const char* f = Env("DAQSIM_FAIL")) {
    for (const auto& item : Split(f, ',')) {
      Failure x;
      size_t colon = item.find(':');
      x.Name = item.substr(0, colon);
      if (colon != std::string::npos) {
        std::string rest = item.substr(colon + 1);
        size_t at = rest.find('@');
        x.Code = static_cast<int32_t>(std::strtol(rest.c_str(), nullptr, 10));
        if (at != std::string::npos) x.Nth = std::strtol(rest.c_str() + at + 1, nullptr, 10);
      } else {
        x.Code = kHardware;
      }
      if (x.Code != 0) c.Fails.push_back(x);
    }
  }
  if (const char* pc = Env("DAQSIM_PORTC"))
    for (const auto& it : Split(pc, ','))
      c.PortC.push_back(static_cast<int32_t>(std::strtol(it.c_str(), nullptr, 0)));
  if (const char* l = Env("DAQSIM_LOG")) c.LogPath = l;
  c.Plant = daqsim::ReadPlantConfig();
  g.DiscRate = 0;

  if (g.LogFile) fclose(g.LogFile);
  g.LogFile = nullptr;
  g.Cfg = c;
  g.Rng = c.Seed ? c.Seed : 1;
  if (keepBoards) {
    // A level start still waiting looks at the motion again, as the new settings make it.
    for (auto& b : g.B) {
      b.LevelChecked = false;
      for (auto& d : b.Out) d.AccelValid = false;
    }
  } else {
    for (auto& b : g.B) b = Board{};
    g.NoHandleError = 0;
    g.Opens = 0;
    g.Calls.clear();
    g.Log.clear();
  }
  if (!c.LogPath.empty()) g.LogFile = std::fopen(c.LogPath.c_str(), "a");
  g.Loaded = true;
}

void Ensure() {
  if (!g.Loaded) Configure(false);
}

long& CallCount(const std::string& name) {
  for (auto& c : g.Calls)
    if (c.first == name) return c.second;
  g.Calls.emplace_back(name, 0);
  return g.Calls.back().second;
}

// Wall-clock seconds since the epoch, comparable with other programs' clocks.
double WallSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

void LogLine(std::string line) {
  if (g.Cfg.Realtime) {
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, " @%.6f", WallSeconds());
    line += stamp;
  }
  line += "\n";
  if (g.Log.size() + line.size() <= kLogCap) g.Log += line;
  if (g.LogFile) {
    std::fputs(line.c_str(), g.LogFile);
    std::fflush(g.LogFile);
  }
}

void Note(const char* name, const std::string& args, int32_t rc) {
  LogLine(std::string(name) + "(" + args + ") = " + Num(rc));
}

template <typename... A>
std::string Args(A... a) {
  std::string s;
  auto one = [&](auto v) {
    if (!s.empty()) s += ",";
    if constexpr (std::is_floating_point_v<decltype(v)>) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
      s += buf;
    } else if constexpr (std::is_pointer_v<decltype(v)>) {
      s += v ? "buf" : "null";
    } else {
      s += Num(static_cast<long long>(v));
    }
  };
  (one(a), ...);
  return s;
}

// The injected failure of this call, if any; counts the call either way.
int32_t Injected(const char* name) {
  long n = ++CallCount(name);
  for (const auto& f : g.Cfg.Fails)
    if (f.Name == name && (f.Nth == 0 || f.Nth == n)) return f.Code;
  return kOk;
}

Board* Find(int32_t handle) {
  int i = handle - 1;
  if (i < 0 || i >= kBoards || !g.B[i].Open) return nullptr;
  return &g.B[i];
}

int Index(const Board* b) {
  return static_cast<int>(b - g.B);
}

// The common frame of a call on a board: injected failure, handle check, then the body.
template <typename F>
int32_t OnBoard(const char* name, int32_t handle, const std::string& args, F body) {
  Ensure();
  int32_t rc = Injected(name);
  Board* b = Find(handle);
  if (rc == kOk && !b) rc = kBadHandle;
  if (rc == kOk) rc = body(*b);
  if (b)
    b->LastError = rc;
  else
    g.NoHandleError = rc;
  Note(name, args, rc);
  return rc;
}

double Uniform() {
  g.Rng = g.Rng * 1664525u + 1013904223u;
  return (g.Rng >> 8) / 16777216.0;
}

double Gaussish() {
  return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * 1.7320508;
}

bool Physical() {
  return g.Cfg.Plant.Kind != daqsim::PlantKind::Ideal;
}

// The physical plant at scan t of the master's input clock, from rest at scan 0.
daqsim::PlantSample PlantAt(long t) {
  Board& m = g.B[0];
  Dac& d = m.Out[0];
  if (!d.Playing || d.Played.empty() || t < 0) return {};
  double rate = m.Freq > 0 ? m.Freq : d.Freq > 0 ? d.Freq : 5120;
  if (!d.AccelValid || d.RunRate != rate) {
    if (g.DiscRate != rate) {
      g.Disc = daqsim::Discretise(g.Cfg.Plant.P, rate);
      g.DiscRate = rate;
    }
    // The drive on the scan grid: with its own clock, each update moves to the scan at or
    // before it.
    double perScan =
        d.ClockSource != 2 && m.Freq > 0 && d.Freq > 0 ? static_cast<double>(d.Freq) / m.Freq : 1.0;
    size_t n = d.Played.size();
    size_t scans = perScan == 1.0 ? n : static_cast<size_t>(std::ceil(n / perScan));
    d.Run = daqsim::PlantRun{};
    d.Run.Q.resize(scans);
    double clip = g.Cfg.Plant.P.ClipV;
    for (size_t j = 0; j < scans; ++j) {
      size_t i = perScan == 1.0 ? j : static_cast<size_t>(std::floor(j * perScan));
      if (i >= n) i = n - 1;
      // The amplifier inverts: a code below the middle drives the table up.
      double q = -(d.Played[i] - 32768.0) / 32768.0 * m.DriveLevel / 400.0;
      d.Run.Q[j] = clip > 0 ? clip * std::tanh(q / clip) : q;
    }
    d.RunRate = rate;
    d.AccelValid = true;
  }
  if (static_cast<long>(d.Run.Out.size()) <= t) daqsim::Extend(g.Disc, d.Run, t);
  return d.Run.Out[t];
}

// Shaker acceleration in G at scan t of the master's input clock; the physical plant's at
// the table or at the fixture mass.
double AccelAt(long t, bool atFixture = false) {
  if (Physical()) {
    daqsim::PlantSample s = PlantAt(t);
    return atFixture ? s.AccelFixG : s.AccelTableG;
  }
  const Board& m = g.B[0];
  const Dac& d = m.Out[0];
  if (!d.Playing || d.Played.empty() || t < 0) return 0;
  long i = t;
  if (d.ClockSource != 2 && m.Freq > 0 && d.Freq > 0)
    i = static_cast<long>(std::floor(t * static_cast<double>(d.Freq) / m.Freq));
  Dac& out = g.B[0].Out[0];
  if (!out.AccelValid) {
    // The shaker's motion for the whole output: with a load, each sample solves
    // -gain x volts = Load x a + 0.075 x (running sum of a) / (0.25 M).
    double m4 = m.Freq > 0 ? 0.25 * m.Freq / 1280.0 : 1.0;
    out.Accel.assign(out.Played.size(), 0.0);
    double sum = 0;
    for (size_t k = 0; k < out.Played.size(); ++k) {
      double volts = (out.Played[k] - 32768.0) / 32768.0 * m.DriveLevel / 400.0;
      double a = g.Cfg.ShakerGain * volts;
      if (g.Cfg.Load > 0) {
        a = (-a - 0.075 * sum) / g.Cfg.Load;
        sum += a / m4;
      }
      out.Accel[k] = a;
    }
    out.AccelValid = true;
  }
  return i < static_cast<long>(out.Accel.size()) ? out.Accel[i] : out.Accel.back();
}

bool CurrentOn(const Board& b, int chan) {
  return !g.Cfg.RequireCurrent || ((b.CurrentSources >> chan) & 1);
}

// Peaks of the plant's motion over the board's record; a travel beyond the stroke is
// logged, as a real shaker would hit its stops.
void NotePlantPeaks(Board& b) {
  double lo = 0, hi = 0, v = 0, i = 0, amp = 0;
  for (long s = 0; s < b.Post; ++s) {
    daqsim::PlantSample p = PlantAt(s + b.Offset);
    if (s == 0 || p.TableM < lo) lo = p.TableM;
    if (s == 0 || p.TableM > hi) hi = p.TableM;
    v = std::fmax(v, std::fabs(p.TableMs));
    i = std::fmax(i, std::fabs(p.CoilA));
    amp = std::fmax(amp, std::fabs(p.AmpV));
  }
  b.TravelMm = (hi - lo) * 1000;
  b.PeakVelocity = v;
  b.PeakCurrent = i;
  b.PeakAmpVolts = amp;
  if (b.TravelMm > g.Cfg.Plant.StrokeMm) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "warning: %s table travel %.1f mm peak-to-peak beyond the %.1f mm stroke",
                  kNames[Index(&b)], b.TravelMm, g.Cfg.Plant.StrokeMm);
    LogLine(line);
  }
}

void Synthesize(Board& b) {
  int bi = Index(&b);
  bool physical = Physical();
  b.Record.assign(static_cast<size_t>(b.Post) * b.Entries, 0);
  for (long s = 0; s < b.Post; ++s) {
    double a = 0, aFix = 0;
    if (physical) {
      daqsim::PlantSample p = PlantAt(s + b.Offset);
      a = p.AccelTableG;
      aFix = p.AccelFixG;
    } else {
      a = AccelAt(s + b.Offset);
    }
    for (int e = 0; e < b.Entries; ++e) {
      int chan = b.Chans[e] & 7;
      double at = physical && g.Cfg.Plant.AtFixture[bi * 8 + chan] ? aFix : a;
      double sens = g.Cfg.Sens[bi * 8 + chan];
      double perG = sens * 13.108 * std::ldexp(1.0, b.Gains[e] & 7);
      double counts = (CurrentOn(b, chan) ? at * perG : 0) + g.Cfg.Noise * perG * Gaussish();
      counts = std::round(counts);
      if (counts > 32767) counts = 32767;
      if (counts < -32768) counts = -32768;
      b.Record[static_cast<size_t>(s) * b.Entries + e] = static_cast<int16_t>(counts);
    }
  }
  if (b.Xfer) {
    long scans = b.XferScans < b.Post ? b.XferScans : b.Post;
    std::memcpy(b.Xfer, b.Record.data(), sizeof(int16_t) * scans * b.Entries);
  }
  if (physical) NotePlantPeaks(b);
  b.Complete = true;
}

// A level start: the first scan at which the trigger channel, amplified, crosses the level
// from below (from above with sensitivity 1) after leaving it by the hysteresis.
void CheckLevel(Board& b) {
  if (b.LevelChecked || !g.B[0].Out[0].Playing) return;
  b.LevelChecked = true;
  int bi = Index(&b);
  double perV = g.Cfg.Sens[bi * 8 + (b.StartChan & 7)] * 0.001 * std::ldexp(1.0, b.StartGain & 7);
  long span = static_cast<long>(g.B[0].Out[0].Played.size()) + b.Post;
  bool atFixture = g.Cfg.Plant.AtFixture[bi * 8 + (b.StartChan & 7)];
  bool primed = false;
  for (long t = 0; t < span; ++t) {
    double v = AccelAt(t + b.Offset, atFixture) * perV;
    bool beyond = b.StartSense == 0 ? v >= b.Level : v <= b.Level;
    bool clear = b.StartSense == 0 ? v < b.Level - b.Hyst : v > b.Level + b.Hyst;
    if (clear) primed = true;
    if (primed && beyond) {
      b.Offset += t;
      b.Triggered = true;
      b.StartedAt = WallSeconds();
      return;
    }
  }
}

void OnPortA(Board& b, int32_t v) {
  int32_t prev = b.PortA;
  b.PortA = v;
  auto rose = [&](int bit) { return !(prev & bit) && (v & bit); };
  int data = (v >> 1) & 1;
  if (rose(1) && !(v & 16)) {
    b.Shift24 = ((b.Shift24 << 1) | data) & 0xFFFFFFu;
    ++b.Bits24;
  }
  if (rose(8) && (v & 16)) {
    b.Shift8 = ((b.Shift8 << 1) | data) & 0xFFu;
    b.CurrentSources = static_cast<int32_t>(b.Shift8);
  }
  if ((prev & 16) && !(v & 16)) b.Bits24 = 0;
  if (rose(16)) {
    b.DriveLevel = static_cast<int32_t>(b.Shift24 & 0xFFF);
    g.B[0].Out[0].AccelValid = false;
    b.HighField = static_cast<int32_t>(b.Shift24 >> 12);
    if (b.DriveLevel > b.MaxDriveLevel) b.MaxDriveLevel = b.DriveLevel;
    ++b.WordsLatched;
    if (b.Bits24 != 24) ++b.ShortWords;
  }
}

}  // namespace

// ---- Test hooks: not part of the driver's table. ----

DAQX_API int32_t daqsimReset(void) {
  Configure(false);
  return kOk;
}

// Reads the variables again; open boards, their lines and the counts are kept.
DAQX_API int32_t daqsimReconfigure(void) {
  Configure(true);
  return kOk;
}

DAQX_API double daqsimQuery(const char* key, int32_t board) {
  Ensure();
  if (!key) return -1;
  std::string k = key;
  if (k.rfind("Calls:", 0) == 0) {
    for (auto& c : g.Calls)
      if (c.first == k.substr(6)) return static_cast<double>(c.second);
    return 0;
  }
  if (k == "Opens") return static_cast<double>(g.Opens);
  if (board < 0 || board >= kBoards) return -1;
  const Board& b = g.B[board];
  if (k == "Open") return b.Open;
  if (k == "DriveLevel") return b.DriveLevel;
  if (k == "MaxDriveLevel") return b.MaxDriveLevel;
  if (k == "HighField") return b.HighField;
  if (k == "WordsLatched") return b.WordsLatched;
  if (k == "ShortWords") return b.ShortWords;
  if (k == "CurrentSources") return b.CurrentSources;
  if (k == "PortB") return b.PortB;
  if (k == "PortConfig") return b.Config8255;
  if (k == "Pulses") return b.Pulses;
  if (k == "MinDriveCode") return b.MinCode;
  if (k == "MaxDriveCode") return b.MaxCode;
  if (k == "AdcArmed") return b.Armed;
  if (k == "DacPlaying") return b.Out[0].Playing;
  if (k == "Gain0") return b.Gains[0];
  if (k == "Gain7") return b.Gains[7];
  if (k == "TableTravel") return b.TravelMm;
  if (k == "TableVelocity") return b.PeakVelocity;
  if (k == "CoilCurrent") return b.PeakCurrent;
  if (k == "AmpVolts") return b.PeakAmpVolts;
  return -1;
}

DAQX_API int32_t daqsimLog(char* buffer, int32_t size) {
  Ensure();
  if (buffer && size > 0) {
    size_t n = g.Log.size() < static_cast<size_t>(size - 1) ? g.Log.size() : size - 1;
    std::memcpy(buffer, g.Log.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int32_t>(g.Log.size());
}

// ---- The driver's functions. ----

DAQX_API int32_t daqSetDefaultErrorHandler(DaqErrorHandlerFn handler) {
  Ensure();
  int32_t rc = Injected("daqSetDefaultErrorHandler");
  if (rc == kOk && handler != nullptr) rc = kBadArgument;  // callbacks are not offered
  g.NoHandleError = rc;
  Note("daqSetDefaultErrorHandler", handler ? "fn" : "null", rc);
  return rc;
}

DAQX_API int32_t daqOpen(const char* name) {
  Ensure();
  ++g.Opens;
  std::string n = name ? name : "";
  int32_t rc = Injected("daqOpen");
  int32_t handle = -1;
  if (rc == kOk && !g.Cfg.Plant.Error.empty()) {
    rc = kBadArgument;
    LogLine("error: " + g.Cfg.Plant.Error);
  }
  if (rc == kOk) {
    rc = kNotFound;
    for (int i = 0; i < kBoards; ++i)
      if (n == kNames[i] && g.Cfg.Present[i]) {
        g.B[i].Open = true;
        g.B[i].LastError = kOk;
        handle = i + 1;
        rc = kOk;
      }
  }
  g.NoHandleError = rc;
  Note("daqOpen", n, handle);
  return handle;
}

DAQX_API int32_t daqGetLastError(int32_t handle, int32_t* code) {
  Ensure();
  int32_t injected = Injected("daqGetLastError");
  Board* b = Find(handle);
  int32_t last = b ? b->LastError : g.NoHandleError;
  if (injected != kOk) last = injected;
  if (code) *code = last;
  int32_t rc = code ? kOk : kNullBuffer;
  Note("daqGetLastError", Args(handle, last), rc);
  return rc;
}

DAQX_API int32_t daqFormatError(int32_t code, char* text) {
  Ensure();
  int32_t rc = Injected("daqFormatError");
  if (text) {
    std::snprintf(text, 256, "%s", CodeText(code));
  } else if (rc == kOk) {
    rc = kNullBuffer;
  }
  Note("daqFormatError", Args(code), rc);
  return rc;
}

DAQX_API int32_t daqSetOption(int32_t handle, int32_t channel, int32_t flags, int32_t option,
                              float value) {
  return OnBoard("daqSetOption", handle, Args(handle, channel, flags, option, value),
                 [&](Board&) { return kOk; });
}

DAQX_API int32_t daqAdcSetScan(int32_t handle, int32_t* channels, int32_t* gains, int32_t* flags,
                               int32_t count) {
  return OnBoard("daqAdcSetScan", handle, Args(handle, count), [&](Board& b) -> int32_t {
    if (!channels || !gains || !flags) return kNullBuffer;
    if (count < 1 || count > kEntries) return kBadArgument;
    for (int e = 0; e < count; ++e) {
      if (channels[e] < 0 || channels[e] > 7 || gains[e] < 0 || gains[e] > 4) return kBadArgument;
      b.Chans[e] = channels[e];
      b.Gains[e] = gains[e];
      b.Flags[e] = flags[e];
    }
    b.Entries = count;
    return kOk;
  });
}

DAQX_API int32_t daqAdcSetAcq(int32_t handle, int32_t mode, int32_t pre, int32_t post) {
  return OnBoard("daqAdcSetAcq", handle, Args(handle, mode, pre, post), [&](Board& b) -> int32_t {
    if (pre != 0 || post < 1 || post > 65536) return kBadArgument;
    b.Post = post;
    return kOk;
  });
}

DAQX_API int32_t daqAdcSetClockSource(int32_t handle, int32_t source) {
  return OnBoard("daqAdcSetClockSource", handle, Args(handle, source), [&](Board&) { return kOk; });
}

DAQX_API int32_t daqAdcSetFreq(int32_t handle, float freq) {
  return OnBoard("daqAdcSetFreq", handle, Args(handle, freq), [&](Board& b) -> int32_t {
    if (!(freq > 0) || freq > 200000) return kBadArgument;
    b.Freq = freq;
    return kOk;
  });
}

DAQX_API int32_t daqSetTriggerEvent(int32_t handle, int32_t source, int32_t sensitivity,
                                    int32_t channel, int32_t gain, int32_t flags,
                                    int32_t channelType, float level, float hysteresis,
                                    int32_t event) {
  return OnBoard("daqSetTriggerEvent", handle,
                 Args(handle, source, sensitivity, channel, gain, flags, channelType, level,
                      hysteresis, event),
                 [&](Board& b) -> int32_t {
                   if (event == 0) {
                     if (source != 1 && source != 6) return kBadArgument;
                     b.StartSource = source;
                     b.StartSense = sensitivity;
                     b.StartChan = channel;
                     b.StartGain = gain;
                     b.Level = level;
                     b.Hyst = hysteresis;
                   } else if (event != 1) {
                     return kBadArgument;
                   }
                   return kOk;
                 });
}

DAQX_API int32_t daqAdcTransferSetBuffer(int32_t handle, int16_t* buffer, int32_t scans,
                                         int32_t mask) {
  return OnBoard("daqAdcTransferSetBuffer", handle, Args(handle, buffer, scans, mask),
                 [&](Board& b) -> int32_t {
                   if (!buffer) return kNullBuffer;
                   if (scans < 1) return kBadArgument;
                   b.Xfer = buffer;
                   b.XferScans = scans;
                   return kOk;
                 });
}

DAQX_API int32_t daqAdcTransferStart(int32_t handle) {
  return OnBoard("daqAdcTransferStart", handle, Args(handle), [&](Board&) { return kOk; });
}

DAQX_API int32_t daqAdcArm(int32_t handle) {
  return OnBoard("daqAdcArm", handle, Args(handle), [&](Board& b) -> int32_t {
    if (b.Entries < 1 || b.Post < 1) return kBadArgument;
    // Settings made unsound while the board was open: no motion is guessed from them.
    if (!g.Cfg.Plant.Error.empty()) {
      LogLine("error: " + g.Cfg.Plant.Error);
      return kBadArgument;
    }
    b.Armed = true;
    b.Triggered = b.Complete = b.LevelChecked = false;
    b.Polls = 0;
    b.Offset = Index(&b) == 0 ? 0 : g.Cfg.SlaveLag;
    b.Record.clear();
    return kOk;
  });
}

DAQX_API int32_t daqAdcSoftTrig(int32_t handle) {
  return OnBoard("daqAdcSoftTrig", handle, Args(handle), [&](Board& b) -> int32_t {
    if (!b.Armed) return kNotArmed;
    if (b.StartSource == 1) {  // a level start ignores it
      b.Triggered = true;
      b.StartedAt = WallSeconds();
    }
    return kOk;
  });
}

DAQX_API int32_t daqAdcDisarm(int32_t handle) {
  return OnBoard("daqAdcDisarm", handle, Args(handle), [&](Board& b) {
    b.Armed = b.Triggered = false;
    b.Xfer = nullptr;
    return kOk;
  });
}

DAQX_API int32_t daqAdcTransferGetStat(int32_t handle, int32_t* active, int32_t* count) {
  int32_t a = 0, n = 0;
  int32_t rc = OnBoard("daqAdcTransferGetStat", handle, Args(handle), [&](Board& b) -> int32_t {
    if (!active || !count) return kNullBuffer;
    if (b.Armed && !b.Triggered && b.StartSource == 6) CheckLevel(b);
    if (b.Complete) {
      n = b.Post;
    } else if (b.Armed && b.Triggered && !g.Cfg.Hang && g.Cfg.Realtime) {
      double elapsed = WallSeconds() - b.StartedAt;
      double span = b.Freq > 0 ? b.Post / static_cast<double>(b.Freq) : 0;
      if (elapsed >= span) {
        Synthesize(b);
        n = b.Post;
      } else {
        a = 1 | 2;
        n = static_cast<int32_t>(b.Post * elapsed / span);
      }
    } else if (b.Armed && b.Triggered && !g.Cfg.Hang && ++b.Polls > g.Cfg.BusyPolls) {
      Synthesize(b);
      n = b.Post;
    } else if (b.Armed) {
      a = 1 | 2;  // running, buffer busy
      if (b.Triggered && g.Cfg.BusyPolls > 0)
        n = static_cast<int32_t>(b.Post * (b.Polls < g.Cfg.BusyPolls ? b.Polls : 0) /
                                 g.Cfg.BusyPolls);
    }
    return kOk;
  });
  if (active) *active = a;
  if (count) *count = n;
  return rc;
}

DAQX_API int32_t daqAdcTransferBufData(int32_t handle, int16_t* buffer, int32_t scans, int32_t mask,
                                       int32_t* retCount) {
  int32_t got = 0;
  int32_t rc = OnBoard("daqAdcTransferBufData", handle, Args(handle, buffer, scans, mask),
                       [&](Board& b) -> int32_t {
                         if (!buffer || !retCount) return kNullBuffer;
                         if (scans < 0) return kBadArgument;
                         // A board that was not polled has finished all the same, unless
                         // it still waits for its start.
                         if (!b.Complete && b.Armed && b.Triggered && !g.Cfg.Hang) Synthesize(b);
                         if (b.Complete) {
                           got = scans < b.Post ? scans : b.Post;
                           std::memcpy(buffer, b.Record.data(), sizeof(int16_t) * got * b.Entries);
                         }
                         return kOk;
                       });
  if (retCount)
    *retCount = g.Cfg.BufDataCount >= 0 ? static_cast<int32_t>(g.Cfg.BufDataCount) : got;
  return rc;
}

namespace {
template <typename F>
int32_t OnDac(const char* name, int32_t handle, int32_t device, int32_t channel,
              const std::string& args, F body) {
  return OnBoard(name, handle, args, [&](Board& b) -> int32_t {
    if (device != 0 || channel < 0 || channel > 1) return kBadArgument;
    return body(b.Out[channel]);
  });
}
}  // namespace

DAQX_API int32_t daqDacSetOutputMode(int32_t handle, int32_t device, int32_t channel,
                                     int32_t mode) {
  return OnDac("daqDacSetOutputMode", handle, device, channel, Args(handle, device, channel, mode),
               [&](Dac&) { return kOk; });
}

DAQX_API int32_t daqDacWaveSetTrig(int32_t handle, int32_t device, int32_t channel, int32_t source,
                                   int32_t rising) {
  return OnDac("daqDacWaveSetTrig", handle, device, channel,
               Args(handle, device, channel, source, rising), [&](Dac& d) -> int32_t {
                 if (rising != 0 && rising != 1) return kBadArgument;
                 d.TrigSource = source;
                 return kOk;
               });
}

DAQX_API int32_t daqDacWaveSetClockSource(int32_t handle, int32_t device, int32_t channel,
                                          int32_t source) {
  return OnDac("daqDacWaveSetClockSource", handle, device, channel,
               Args(handle, device, channel, source), [&](Dac& d) {
                 d.ClockSource = source;
                 return kOk;
               });
}

DAQX_API int32_t daqDacWaveSetFreq(int32_t handle, int32_t device, int32_t channel, float freq) {
  return OnDac("daqDacWaveSetFreq", handle, device, channel, Args(handle, device, channel, freq),
               [&](Dac& d) -> int32_t {
                 if (!(freq > 0)) return kBadArgument;
                 d.Freq = freq;
                 return kOk;
               });
}

DAQX_API int32_t daqDacWaveSetMode(int32_t handle, int32_t device, int32_t channel, int32_t mode,
                                   int32_t updates) {
  return OnDac("daqDacWaveSetMode", handle, device, channel,
               Args(handle, device, channel, mode, updates), [&](Dac&) { return kOk; });
}

DAQX_API int32_t daqDacWaveSetBuffer(int32_t handle, int32_t device, int32_t channel,
                                     uint16_t* buffer, int32_t count, int32_t mask) {
  return OnDac("daqDacWaveSetBuffer", handle, device, channel,
               Args(handle, device, channel, buffer, count, mask), [&](Dac& d) -> int32_t {
                 if (!buffer) return kNullBuffer;
                 if (count < 1 || count > 65536) return kBadArgument;
                 d.Buf = buffer;
                 d.Count = count;
                 return kOk;
               });
}

DAQX_API int32_t daqDacWaveSetUserWave(int32_t handle, int32_t device, int32_t channel) {
  return OnDac("daqDacWaveSetUserWave", handle, device, channel, Args(handle, device, channel),
               [&](Dac&) { return kOk; });
}

DAQX_API int32_t daqDacTransferStart(int32_t handle, int32_t device, int32_t channel) {
  return OnDac("daqDacTransferStart", handle, device, channel, Args(handle, device, channel),
               [&](Dac& d) { return d.Buf ? kOk : kNullBuffer; });
}

DAQX_API int32_t daqDacWaveArm(int32_t handle, int32_t device) {
  return OnBoard("daqDacWaveArm", handle, Args(handle, device), [&](Board& b) -> int32_t {
    if (device != 0) return kBadArgument;
    for (auto& d : b.Out) {
      d.Armed = d.Buf != nullptr;
      d.Playing = false;
    }
    return kOk;
  });
}

DAQX_API int32_t daqDacWaveSoftTrig(int32_t handle, int32_t device, int32_t channel) {
  return OnDac("daqDacWaveSoftTrig", handle, device, channel, Args(handle, device, channel),
               [&](Dac& d) -> int32_t {
                 if (!d.Armed || !d.Buf) return kNotArmed;
                 d.Played.assign(d.Buf, d.Buf + d.Count);
                 d.AccelValid = false;
                 d.Playing = true;
                 Board& b = *Find(handle);
                 if (&d == &b.Out[0]) {
                   ++b.Pulses;
                   for (uint16_t u : d.Played) {
                     int code = u / 256;
                     if (b.MinCode < 0 || code < b.MinCode) b.MinCode = code;
                     if (code > b.MaxCode) b.MaxCode = code;
                   }
                 }
                 return kOk;
               });
}

DAQX_API int32_t daqDacWaveDisarm(int32_t handle, int32_t device) {
  return OnBoard("daqDacWaveDisarm", handle, Args(handle, device), [&](Board& b) -> int32_t {
    if (device != 0) return kBadArgument;
    for (auto& d : b.Out) d.Armed = d.Playing = false;
    return kOk;
  });
}

DAQX_API int32_t daqIOGet8255Conf(int32_t handle, int32_t portA, int32_t portB, int32_t portCHigh,
                                  int32_t portCLow, int32_t* config) {
  return OnBoard("daqIOGet8255Conf", handle, Args(handle, portA, portB, portCHigh, portCLow),
                 [&](Board&) -> int32_t {
                   auto bit = [](int32_t v) { return v == 0 || v == 1; };
                   if (!bit(portA) || !bit(portB) || !bit(portCHigh) || !bit(portCLow))
                     return kBadArgument;
                   if (!config) return kNullBuffer;
                   // The mode word of an 8255: 1 = input.
                   *config = 0x80 | portA << 4 | portCHigh << 3 | portB << 1 | portCLow;
                   return kOk;
                 });
}

DAQX_API int32_t daqIOWrite(int32_t handle, int32_t device, int32_t port, int32_t number,
                            int32_t expansion, int32_t value) {
  return OnBoard("daqIOWrite", handle, Args(handle, device, port, number, expansion, value),
                 [&](Board& b) -> int32_t {
                   if (device != 1 || number != 0 || port < 0 || port > 3) return kBadArgument;
                   if (port == 0) OnPortA(b, value & 0xFF);
                   if (port == 1) b.PortB = value & 0xFF;
                   if (port == 3) b.Config8255 = value;
                   return kOk;
                 });
}

DAQX_API int32_t daqIORead(int32_t handle, int32_t device, int32_t port, int32_t number,
                           int32_t expansion, int32_t* value) {
  int32_t v = 0;
  int32_t rc = OnBoard("daqIORead", handle, Args(handle, device, port, number, expansion),
                       [&](Board& b) -> int32_t {
                         if (device != 1 || number != 0 || port < 0 || port > 2)
                           return kBadArgument;
                         if (!value) return kNullBuffer;
                         if (port == 0) v = b.PortA;
                         if (port == 1) v = b.PortB;
                         if (port == 2) {
                           const auto& pc = g.Cfg.PortC;
                           v = 0xFF;
                           if (!pc.empty()) {
                             v = pc[b.PortCIndex < pc.size() ? b.PortCIndex : pc.size() - 1];
                             if (b.PortCIndex < pc.size()) ++b.PortCIndex;
                           }
                           v &= 0xFF;
                         }
                         return kOk;
                       });
  if (value && rc == kOk) *value = v;
  return rc;
}
