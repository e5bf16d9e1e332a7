// The driver binding, the call layer's last-error rule, the acquisition routines' calls and
// failure boxes, and the serial lines, against an in-process table that records every call.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/events.h"
#include "sequencer/sequencer.h"
#include "daq/acquisition.h"
#include "daq/call_layer.h"
#include "daq/digital.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

using testing_support::Harness;

namespace {

// What the fake library was asked, and what it answers.
struct Fake {
  std::vector<std::string> Calls;
  std::map<std::string, int32_t> FailWith;  // function name -> code
  std::vector<int32_t> PortA;               // values written to port A, in order
  int32_t OpenHandle = 7, OpenLastError = 0;
  int32_t Active = 0;  // what GetStat reports
  int32_t BufCount = 1024;
  int16_t Sample = 0;  // every sample BufData delivers
  bool FullText = false;
  std::string FormatText;  // the text daqFormatError gives, when set
};
Fake* fake = nullptr;

std::string Text(int32_t v) {
  return std::to_string(v);
}
std::string Text(float v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

template <typename... A>
int32_t Rec(const char* name, A... args) {
  std::string s = name;
  ((s += " " + Text(args)), ...);
  fake->Calls.push_back(s);
  auto it = fake->FailWith.find(name);
  return it == fake->FailWith.end() ? 0 : it->second;
}

daq::DriverTable FakeTable() {
  daq::DriverTable t;
  t.daqSetDefaultErrorHandler = [](DaqErrorHandlerFn h) {
    return Rec("daqSetDefaultErrorHandler", h == nullptr ? 0 : 1);
  };
  t.daqOpen = [](const char* n) {
    fake->Calls.push_back(std::string("daqOpen ") + n);
    return fake->OpenHandle;
  };
  t.daqGetLastError = [](int32_t h, int32_t* c) {
    *c = fake->OpenLastError;
    return Rec("daqGetLastError", h);
  };
  t.daqFormatError = [](int32_t c, char* text) {
    if (fake->FullText) {
      for (int i = 0; i < 256; ++i) text[i] = 'x';
    } else if (!fake->FormatText.empty()) {
      std::snprintf(text, 256, "%s", fake->FormatText.c_str());
    } else {
      std::snprintf(text, 256, "text of %d", c);
    }
    return Rec("daqFormatError", c);
  };
  t.daqSetOption = [](int32_t h, int32_t c, int32_t f, int32_t o, float v) {
    return Rec("daqSetOption", h, c, f, o, v);
  };
  t.daqAdcSetScan = [](int32_t h, int32_t* ch, int32_t* g, int32_t* f, int32_t n) {
    return Rec("daqAdcSetScan", h, ch[0], g[0], g[7], f[0], n);
  };
  t.daqAdcSetAcq = [](int32_t h, int32_t m, int32_t a, int32_t b) {
    return Rec("daqAdcSetAcq", h, m, a, b);
  };
  t.daqAdcSetClockSource = [](int32_t h, int32_t s) { return Rec("daqAdcSetClockSource", h, s); };
  t.daqAdcSetFreq = [](int32_t h, float f) { return Rec("daqAdcSetFreq", h, f); };
  t.daqSetTriggerEvent = [](int32_t h, int32_t s, int32_t se, int32_t c, int32_t g, int32_t f,
                            int32_t ct, float l, float hy, int32_t e) {
    return Rec("daqSetTriggerEvent", h, s, se, c, g, f, ct, l, hy, e);
  };
  t.daqAdcTransferSetBuffer = [](int32_t h, int16_t*, int32_t n, int32_t m) {
    return Rec("daqAdcTransferSetBuffer", h, n, m);
  };
  t.daqAdcTransferStart = [](int32_t h) { return Rec("daqAdcTransferStart", h); };
  t.daqAdcArm = [](int32_t h) { return Rec("daqAdcArm", h); };
  t.daqAdcSoftTrig = [](int32_t h) { return Rec("daqAdcSoftTrig", h); };
  t.daqAdcDisarm = [](int32_t h) { return Rec("daqAdcDisarm", h); };
  t.daqAdcTransferGetStat = [](int32_t h, int32_t* a, int32_t* c) {
    *a = fake->Active;
    *c = 0;
    return Rec("daqAdcTransferGetStat", h);
  };
  t.daqAdcTransferBufData = [](int32_t h, int16_t* b, int32_t n, int32_t m, int32_t* got) {
    int32_t code = Rec("daqAdcTransferBufData", h, n, m);
    for (int i = 0; i < n * 8; ++i) b[i] = fake->Sample;
    *got = fake->BufCount;
    return code;
  };
  t.daqDacSetOutputMode = [](int32_t h, int32_t d, int32_t c, int32_t m) {
    return Rec("daqDacSetOutputMode", h, d, c, m);
  };
  t.daqDacWaveSetTrig = [](int32_t h, int32_t d, int32_t c, int32_t s, int32_t r) {
    return Rec("daqDacWaveSetTrig", h, d, c, s, r);
  };
  t.daqDacWaveSetClockSource = [](int32_t h, int32_t d, int32_t c, int32_t s) {
    return Rec("daqDacWaveSetClockSource", h, d, c, s);
  };
  t.daqDacWaveSetFreq = [](int32_t h, int32_t d, int32_t c, float f) {
    return Rec("daqDacWaveSetFreq", h, d, c, f);
  };
  t.daqDacWaveSetMode = [](int32_t h, int32_t d, int32_t c, int32_t m, int32_t u) {
    return Rec("daqDacWaveSetMode", h, d, c, m, u);
  };
  t.daqDacWaveSetBuffer = [](int32_t h, int32_t d, int32_t c, uint16_t* b, int32_t n, int32_t m) {
    return Rec("daqDacWaveSetBuffer", h, d, c, b[0], b[1119], n, m);
  };
  t.daqDacWaveSetUserWave = [](int32_t h, int32_t d, int32_t c) {
    return Rec("daqDacWaveSetUserWave", h, d, c);
  };
  t.daqDacTransferStart = [](int32_t h, int32_t d, int32_t c) {
    return Rec("daqDacTransferStart", h, d, c);
  };
  t.daqDacWaveArm = [](int32_t h, int32_t d) { return Rec("daqDacWaveArm", h, d); };
  t.daqDacWaveSoftTrig = [](int32_t h, int32_t d, int32_t c) {
    return Rec("daqDacWaveSoftTrig", h, d, c);
  };
  t.daqDacWaveDisarm = [](int32_t h, int32_t d) { return Rec("daqDacWaveDisarm", h, d); };
  t.daqIOGet8255Conf = [](int32_t h, int32_t a, int32_t b, int32_t ch, int32_t cl, int32_t* c) {
    *c = 137;
    return Rec("daqIOGet8255Conf", h, a, b, ch, cl);
  };
  t.daqIOWrite = [](int32_t h, int32_t d, int32_t port, int32_t n, int32_t x, int32_t v) {
    if (port == 0) fake->PortA.push_back(v);
    return port == 0 ? Rec("daqIOWrite:A") : Rec("daqIOWrite", h, d, port, n, x, v);
  };
  t.daqIORead = [](int32_t h, int32_t d, int32_t port, int32_t n, int32_t x, int32_t* v) {
    *v = 0x7B;
    return Rec("daqIORead", h, d, port, n, x);
  };
  return t;
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = &f;
    profile::SetProfileDefaults(p);
    daq::InitAcquisition(p);
    daq::BindDriverTable(p, FakeTable());
    p.daq.MasterHandle = p.daq.ActiveHandle = 3;
    p.daq.SlaveHandle = 4;
  }
  void TearDown() override { fake = nullptr; }
  // The calls with this name, in order.
  std::vector<std::string> Named(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& c : f.Calls)
      if (c.rfind(name + " ", 0) == 0 || c == name) out.push_back(c);
    return out;
  }
  bool Made(const std::string& call) const {
    for (const auto& c : f.Calls)
      if (c == call) return true;
    return false;
  }
  Fake f;
  Harness h;
  Program& p = h.prog;
};

TEST_F(DriverTest, BindingLooksForTheLibraryAndRejectsWhatIsNotIt) {
  daq::DriverTable t;
  void* lib = reinterpret_cast<void*>(1);
  std::string why;
  EXPECT_FALSE(daq::LoadDriverLibrary("/nonexistent/libdaqx.so", t, lib, why));
  EXPECT_EQ(lib, nullptr);
  EXPECT_FALSE(why.empty());
  // A library without the driver's functions is no driver.
  EXPECT_FALSE(daq::LoadDriverLibrary("libm.so.6", t, lib, why));
  EXPECT_EQ(t.daqOpen, nullptr);
  EXPECT_NE(why.find("missing"), std::string::npos);

  // An incomplete table binds nothing: the calls fail as with no library.
  daq::DriverTable partial = FakeTable();
  partial.daqIORead = nullptr;
  daq::BindDriverTable(p, partial);
  EXPECT_FALSE(p.daq.DriverBound);
  p.daq.DriverPath = "/nonexistent/libdaqx.so";
  EXPECT_THROW(daq::OpenDaqDevice(p, "DaqBoard1K0"), common::RunError);

#ifdef KRX8_DAQSIM_PATH
  // The variable names a file that is tried before the library's own name.
  setenv(daq::kDriverLibraryVariable, KRX8_DAQSIM_PATH, 1);
  Harness other;
  EXPECT_TRUE(daq::EnsureDriver(other.prog));
  unsetenv(daq::kDriverLibraryVariable);
  daq::ReleaseDriver(other.prog);
  EXPECT_EQ(dlopen(KRX8_DAQSIM_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr) << "simulator still loaded";
#endif
}

TEST_F(DriverTest, LastErrorIsKeptAndRaisedOnlyOnceAsked) {
  f.FailWith["daqAdcArm"] = 9;
  EXPECT_EQ(daq::DaqAdcArm(p, 3), 9);  // nothing raised yet
  EXPECT_EQ(p.daq.DaqLastError, 9);
  EXPECT_EQ(daq::DaqAdcDisarm(p, 3), 0);
  EXPECT_EQ(p.daq.DaqLastError, 0);  // a success clears the previous failure

  daq::SetDaqRaiseNumber(p, 3, 100);
  try {
    daq::DaqAdcArm(p, 3);
    FAIL() << "not raised";
  } catch (const common::RunError& e) {
    EXPECT_EQ(e.Number(), 100);
  }
  EXPECT_EQ(p.daq.DaqLastError, 9);
  daq::SetDaqRaiseNumber(p, 3, 100);
  EXPECT_EQ(p.daq.DaqLastError, 0);

  // True/false arguments reach the library as 0 or 1.
  daq::DaqDacWaveSetTrig(p, 3, 0, 0, 1, -1);
  int32_t conf = 0;
  daq::DaqIOGet8255Conf(p, 3, -1, 0, -1, 1, conf);
  EXPECT_TRUE(Made("daqDacWaveSetTrig 3 0 0 1 1"));
  EXPECT_TRUE(Made("daqIOGet8255Conf 3 1 0 1 1"));
  EXPECT_EQ(conf, 137);
}

TEST_F(DriverTest, OpenReportsTheLastErrorOfItsHandle) {
  f.OpenLastError = 12;
  EXPECT_EQ(daq::OpenDaqDevice(p, "DaqBoard1K0"), 7);  // before any acquisition: no raise
  EXPECT_EQ(p.daq.DaqLastError, 12);
  ASSERT_EQ(f.Calls.size(), 3u);
  EXPECT_EQ(f.Calls[0], "daqSetDefaultErrorHandler 0");
  EXPECT_EQ(f.Calls[1], "daqOpen DaqBoard1K0");
  EXPECT_EQ(f.Calls[2], "daqGetLastError 7");

  daq::ArmMaster(p);  // leaves DaqRaiseNumber at 100
  f.Calls.clear();
  EXPECT_THROW(daq::OpenDaqDevice(p, "DaqBoard1K1"), common::RunError);
  f.OpenLastError = 0;
  EXPECT_EQ(daq::OpenDaqDevice(p, "DaqBoard1K1"), 7);
}

TEST_F(DriverTest, FormattedTextEndsAtItsFirstZeroOrFillsTheBuffer) {
  EXPECT_EQ(daq::FormatDaqError(p, 5), "text of 5");
  f.FullText = true;
  EXPECT_EQ(daq::FormatDaqError(p, 5), std::string(256, 'x'));
  // Each byte is one character: a byte past ASCII is not left as broken UTF-8.
  f.FullText = false;
  f.FormatText =
      "D\xE9"
      "faut \xB0"
      "C";
  EXPECT_EQ(daq::FormatDaqError(p, 5), "D\u00E9faut \u00B0C");
}

TEST_F(DriverTest, ArmMasterSetsUpOutputsLinesAndInputsInOrder) {
  p.daq.SerialWordLow = 321;
  daq::ArmMaster(p);
  EXPECT_TRUE(h.plat.Boxes.empty());
  std::vector<std::string> want = {"daqSetOption 3 0 0 16385 0", "daqSetOption 3 1 0 16385 3",
                                   "daqSetOption 3 1 1 16387 1"};
  for (int out = 0; out <= 1; ++out) {
    std::string o = " " + std::to_string(out);
    want.push_back("daqDacSetOutputMode 3 0" + o + " 1");
    want.push_back("daqDacWaveSetTrig 3 0" + o + " 1 0");
    want.push_back("daqDacWaveSetClockSource 3 0" + o + " 2");
    want.push_back("daqDacWaveSetFreq 3 0" + o + " 5120");
    want.push_back("daqDacWaveSetMode 3 0" + o + " 2 0");
    // Output 0 rests at 32767 past the pulse, output 1 at 0.
    want.push_back(out == 0 ? "daqDacWaveSetBuffer 3 0 0 32767 32767 1120 1"
                            : "daqDacWaveSetBuffer 3 0 1 0 0 1120 3");
    want.push_back("daqDacWaveSetUserWave 3 0" + o);
  }
  for (const char* c :
       {"daqDacTransferStart 3 0 0", "daqDacTransferStart 3 0 1", "daqDacWaveArm 3 0",
        "daqIOGet8255Conf 3 0 0 1 1", "daqIOWrite 3 1 3 0 1 137", "daqIOWrite 3 1 1 0 1 4"})
    want.push_back(c);
  for (int i = 0; i < 74; ++i) want.push_back("daqIOWrite:A");
  for (const char* c :
       {"daqAdcSetAcq 3 0 0 1024", "daqAdcSetScan 3 0 2 2 6 8", "daqAdcSetClockSource 3 0",
        "daqAdcTransferSetBuffer 3 1024 27", "daqSetTriggerEvent 3 1 0 0 2 6 0 0 0 0",
        "daqSetTriggerEvent 3 10 0 0 2 6 0 0 0 1", "daqAdcSetFreq 3 5120", "daqAdcTransferStart 3",
        "daqAdcArm 3"})
    want.push_back(c);
  EXPECT_EQ(f.Calls, want);
  EXPECT_EQ(p.daq.LastSentWordLow, 321);

  // Transient capture starts the master on its channel-1 level; the slave never does.
  p.Row(profile::row::ControlMode) = 2;
  p.daq.TriggerLevel = 5;
  f.Calls.clear();
  daq::ArmMaster(p);
  auto starts = Named("daqSetTriggerEvent");
  ASSERT_EQ(starts.size(), 2u);
  float volts = 5 * 0.001f * p.Row(profile::kSensitivityRow[0]) * 4.0f;
  EXPECT_FLOAT_EQ(p.daq.TriggerLevelVolts, volts);
  EXPECT_EQ(starts[0], "daqSetTriggerEvent 3 6 0 0 2 6 0 " + Text(volts) + " 0.01 0");
  f.Calls.clear();
  p.daq.ActiveHandle = 4;
  daq::ArmSlave(p);
  EXPECT_EQ(Named("daqSetTriggerEvent")[0], "daqSetTriggerEvent 4 1 0 0 2 6 0 0 0 0");
}

TEST_F(DriverTest, FireRoutinesTriggerWaitAndCollect) {
  daq::ArmMaster(p);
  f.Calls.clear();
  daq::FireAndCollect(p);
  std::vector<std::string> want = {"daqDacWaveSoftTrig 3 0 0", "daqAdcSoftTrig 3",
                                   "daqAdcTransferGetStat 3",  "daqAdcTransferBufData 3 1024 1",
                                   "daqDacWaveDisarm 3 0",     "daqAdcDisarm 3"};
  EXPECT_EQ(f.Calls, want);

  // Transient capture with one board waits for the level; with two the master still gets
  // its software trigger, and only the master is polled.
  p.Row(profile::row::ControlMode) = 2;
  f.Calls.clear();
  daq::FireAndCollect(p);
  EXPECT_TRUE(Named("daqAdcSoftTrig").empty());
  f.Calls.clear();
  daq::FireAndCollectPair(p);
  want = {"daqDacWaveSoftTrig 3 0 0",
          "daqAdcSoftTrig 3",
          "daqDacWaveSoftTrig 4 0 0",
          "daqAdcSoftTrig 4",
          "daqAdcTransferGetStat 3",
          "daqAdcTransferBufData 3 1024 1",
          "daqAdcTransferBufData 4 1024 1",
          "daqDacWaveDisarm 3 0",
          "daqAdcDisarm 3",
          "daqDacWaveDisarm 4 0",
          "daqAdcDisarm 4"};
  EXPECT_EQ(f.Calls, want);
  EXPECT_TRUE(h.plat.Boxes.empty());
}

TEST_F(DriverTest, FailuresEndTheRoutineWithOneBox) {
  daq::ArmMaster(p);
  f.FailWith["daqAdcSoftTrig"] = 5;
  f.Calls.clear();
  p.daq.MasterXferBuffer.fill(9);  // the pulse before
  daq::FireAndCollect(p);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "DaqX Error: 5\ntext of 5");
  EXPECT_EQ(h.plat.Boxes[0].Title, "Error!");
  EXPECT_EQ(h.plat.Boxes[0].ButtonSet, ui::Buttons::OK);
  EXPECT_TRUE(Named("daqAdcTransferGetStat").empty());  // nothing after the failing call
  EXPECT_TRUE(Named("daqDacWaveDisarm").empty());
  EXPECT_EQ(p.daq.MasterXferBuffer[0], 0);  // no samples came: no response, not old ones

  f.FailWith.clear();
  f.FailWith["daqDacWaveArm"] = 11;
  daq::ArmSlave(p);
  EXPECT_EQ(h.plat.Boxes.back().Text, "DaqX Error : 11\ntext of 11");

  // A run-time error that is not the library's: a scan count past the buffers.
  p.daq.ScanCount = 5000;
  p.daq.SlaveXferBuffer.fill(9);
  daq::FireAndCollectPair(p);
  EXPECT_EQ(p.daq.SlaveXferBuffer[8192], 0);
  EXPECT_EQ(h.plat.Boxes.back().Text, "VB Error: 9\n" + common::ErrorDescription(9));
  f.Calls.clear();
  daq::ArmMaster(p);
  EXPECT_TRUE(f.Calls.empty());  // refused before any call
  EXPECT_EQ(h.plat.Boxes.size(), 4u);
}

TEST_F(DriverTest, WaitIsBoundedAndShortDeliveriesReadZero) {
  f.Active = 1;  // a board that never finishes
  p.daq.PollTimeoutMs = 20;
  daq::ArmMaster(p);
  f.Calls.clear();
  daq::FireAndCollect(p);
  ASSERT_EQ(h.plat.Boxes.size(), 1u);
  EXPECT_EQ(h.plat.Boxes[0].Text, "VB Error : 24\nDevice timeout");
  EXPECT_TRUE(Made("daqDacWaveDisarm 3 0"));  // the outputs are stopped
  EXPECT_TRUE(Made("daqAdcDisarm 3"));
  EXPECT_TRUE(Named("daqAdcTransferBufData").empty());

  // Fewer scans than asked: the rest is cleared, not left from an earlier pulse.
  f.Active = 2;  // only bit 0 means running
  f.Sample = 77;
  f.BufCount = 10;
  p.daq.MasterXferBuffer.fill(-5);
  daq::FireAndCollect(p);
  EXPECT_EQ(p.daq.MasterXferBuffer[79], 77);
  EXPECT_EQ(p.daq.MasterXferBuffer[80], 0);
  EXPECT_EQ(p.daq.MasterXferBuffer[8192], 0);
  // A count past the request, or below 0, is held to what was asked.
  f.BufCount = 1 << 30;
  daq::FireAndCollect(p);
  EXPECT_EQ(p.daq.MasterXferBuffer[8191], 77);
  f.BufCount = -3;
  daq::FireAndCollect(p);
  EXPECT_EQ(p.daq.MasterXferBuffer[0], 0);
  EXPECT_EQ(h.plat.Boxes.size(), 1u);
}

TEST_F(DriverTest, DriveOutputOnlyCarriesCodesInTheBand) {
  p.daq.DacBuffer0[0] = 0;       // code 0
  p.daq.DacBuffer0[1] = 100;     // below code 1
  p.daq.DacBuffer0[2] = -1;      // 65535: above code 255
  p.daq.DacBuffer0[3] = -32768;  // 32768: zero drive, kept
  daq::ArmMaster(p);
  EXPECT_EQ(static_cast<uint16_t>(p.daq.DacBuffer0[0]), 256);
  EXPECT_EQ(static_cast<uint16_t>(p.daq.DacBuffer0[1]), 256);
  EXPECT_EQ(static_cast<uint16_t>(p.daq.DacBuffer0[2]), 65280);
  EXPECT_EQ(static_cast<uint16_t>(p.daq.DacBuffer0[3]), 32768);
  EXPECT_EQ(p.daq.DacBuffer0[1120], 32767);
}

TEST_F(DriverTest, SerialRegistersAreClockedBitByBit) {
  daq::SendSerialByte(p, 5);
  std::vector<int32_t> want = {16};
  for (int bit : {0, 0, 0, 0, 0, 1, 0, 1}) {
    want.push_back(16 + 2 * bit);
    want.push_back(24 + 2 * bit);
    want.push_back(16);
  }
  EXPECT_EQ(f.PortA, want);

  f.PortA.clear();
  p.daq.SerialWordLow = 0;
  p.daq.SerialWordHigh = 0;
  daq::SendSerialWord(p);
  want = {0};
  for (int i = 0; i < 24; ++i) want.insert(want.end(), {0, 1, 0});
  want.push_back(16);
  EXPECT_EQ(f.PortA, want);

  // The low field arrives in bits 11..0, high first on the lines.
  f.PortA.clear();
  p.daq.SerialWordLow = 1000;
  p.daq.SerialWordHigh = 3;
  daq::SendSerialWord(p);
  int32_t word = 0;
  for (size_t i = 1; i + 2 < f.PortA.size(); i += 3) word = word * 2 + ((f.PortA[i] >> 1) & 1);
  EXPECT_EQ(word, 3 * 4096 + 1000);
}

TEST_F(DriverTest, DriveLevelNeverLeavesAboveItsLimit) {
  struct Case {
    float maxVolts;
    int32_t low, sent;
  } cases[] = {{20, 5000, 4000},
               {20, 4095, 4000},
               {4, 3000, 1600},
               {4, -7, 0},
               {4, 1599, 1599},
               {-1, 100, 0},
               {NAN, 100, 0},
               {INFINITY, 9999, 4000},
               // The volts as the record holds them: 3.3 V and 4.1 V allow 1320 and 1640.
               {3.3f, 2000, 1320},
               {4.1f, 1640, 1640},
               {4.1f, 1641, 1640}};
  for (const auto& c : cases) {
    p.Row(profile::row::MaxDriveVolts) = c.maxVolts;
    p.daq.SerialWordLow = c.low;
    p.daq.SerialWordHigh = 70000;
    f.PortA.clear();
    daq::SendSerialWord(p);
    int32_t word = 0;
    for (size_t i = 1; i + 2 < f.PortA.size(); i += 3) word = word * 2 + ((f.PortA[i] >> 1) & 1);
    EXPECT_EQ(word & 0xFFF, c.sent) << c.maxVolts << " V, " << c.low;
    EXPECT_EQ(word >> 12, 4095);
    EXPECT_EQ(p.daq.LastSentWordLow, c.sent);
  }
  // The lines carry the drive peak that the maximum drive level allowed, never one count
  // less (1.05 V is 420 counts), at every two-decimal setting.
  p.Row(profile::row::ControlMode) = 1;
  p.run.ManualLevel = 40;
  for (int centivolts = 1; centivolts <= 996; ++centivolts) {
    p.Row(profile::row::MaxDriveVolts) = static_cast<float>(centivolts / 100.0);
    profile::ComputeDrivePeak(p);
    p.daq.SerialWordLow = p.run.DrivePeakCounts;
    daq::SendSerialWord(p);
    ASSERT_EQ(p.daq.LastSentWordLow, p.run.DrivePeakCounts) << centivolts;
  }
}

TEST_F(DriverTest, PortsAndRemoteInputs) {
  daq::WriteDigitalPort1(p, 4, 11);
  EXPECT_TRUE(Made("daqIOWrite 4 1 1 0 1 11"));
  EXPECT_EQ(p.daq.LastPort1Handle, 4);
  EXPECT_EQ(p.daq.LastPort1Value, 11);
  EXPECT_EQ(p.daq.Port1Writes, 1);

  EXPECT_EQ(daq::ReadRemoteInputs(p), 0x7B);
  EXPECT_TRUE(Made("daqIORead 3 1 2 0 1"));
  f.FailWith["daqIORead"] = 5;  // a failed read presses nothing
  EXPECT_EQ(daq::ReadRemoteInputs(p), daq::kRemoteInputsIdle);

  // With no library the lines are out of reach: nothing is raised, the intent is kept.
  Harness bare;
  bare.prog.daq.DriverPath = "/nonexistent/libdaqx.so";
  bare.prog.daq.DaqRaiseNumber = 100;
  bare.prog.daq.SerialWordLow = 10;
  EXPECT_NO_THROW(daq::SendSerialWord(bare.prog));
  EXPECT_NO_THROW(daq::ShiftOutByte(bare.prog, 0));
  EXPECT_EQ(daq::ReadRemoteInputs(bare.prog), daq::kRemoteInputsIdle);
  EXPECT_EQ(bare.prog.daq.LastShiftedByte, 0);
}

}  // namespace

TEST_F(DriverTest, AnUnreadableRemotePortStopsThePollingAfterOneBox) {
  p.daq.DemoMode = 0;
  p.Row(profile::row::RemoteInputs) = 1;
  p.win.Check(ui::MenuId::mnuInputsRemote, true);
  p.daq.DaqRaiseNumber = 100;  // as after the first acquisition
  f.FailWith["daqIORead"] = 5;
  h.Send(app::Event::Tick(ui::TimerId::tmrTimer3));
  ASSERT_EQ(h.plat.CountBoxes("Error!"), 1);
  EXPECT_EQ(p.Row(profile::row::RemoteInputs), 0);
  EXPECT_FALSE(p.win.Checked(ui::MenuId::mnuInputsRemote));
  h.Advance(1000);  // later polls read nothing and show nothing
  EXPECT_EQ(h.plat.CountBoxes("Error!"), 1);
  EXPECT_EQ(control::RunStateOf(p), run::Run::Idle);
}
