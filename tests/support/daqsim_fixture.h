#pragma once
// A program bound to the simulated board driver, with the simulator's variables, its
// queries and the limits every pulse must respect.
#include <dlfcn.h>
#include <gtest/gtest.h>

#ifdef KRX8_DAQSIM_PATH

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "daq/call_layer.h"
#include "program/record.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace testing_support {

inline const char* const kVariables[] = {
    "DAQSIM_BOARDS",        "DAQSIM_SHAKER_GAIN", "DAQSIM_SENSITIVITY",
    "DAQSIM_NOISE",         "DAQSIM_SEED",        "DAQSIM_BUSY_POLLS",
    "DAQSIM_HANG",          "DAQSIM_SLAVE_LAG",   "DAQSIM_REQUIRE_CURRENT",
    "DAQSIM_BUFDATA_COUNT", "DAQSIM_FAIL",        "DAQSIM_PORTC",
    "DAQSIM_LOG",           "DAQSIM_REALTIME",    "DAQSIM_PLANT"};

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : kVariables) unsetenv(v);
    lib_ = dlopen(KRX8_DAQSIM_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    reset_ = reinterpret_cast<int32_t (*)()>(dlsym(lib_, "daqsimReset"));
    reconfigure_ = reinterpret_cast<int32_t (*)()>(dlsym(lib_, "daqsimReconfigure"));
    query_ = reinterpret_cast<double (*)(const char*, int32_t)>(dlsym(lib_, "daqsimQuery"));
    ASSERT_TRUE(reset_ && reconfigure_ && query_);
    p.daq.DriverPath = KRX8_DAQSIM_PATH;
  }
  void TearDown() override {
    daq::ReleaseDriver(p);
    if (other_) daq::ReleaseDriver(*other_);
    if (lib_) dlclose(lib_);
    for (const char* v : kVariables) unsetenv(v);
    // Later tests expect no driver in the process.
    void* still = dlopen(KRX8_DAQSIM_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (still) dlclose(still);
    EXPECT_EQ(still, nullptr) << "the simulator stayed loaded";
  }
  // Sets the simulator's variables and starts it afresh.
  void Sim(std::initializer_list<std::pair<const char*, const char*>> vars = {}) {
    for (const char* v : kVariables) unsetenv(v);
    for (const auto& v : vars) setenv(v.first, v.second, 1);
    reset_();
  }
  // Changes the simulator's variables while its boards stay open.
  void Change(std::initializer_list<std::pair<const char*, const char*>> vars) {
    for (const char* v : kVariables) unsetenv(v);
    for (const auto& v : vars) setenv(v.first, v.second, 1);
    reconfigure_();
  }
  // The texts of the boxes with this title, in order.
  std::vector<std::string> Texts(const std::string& title) const {
    std::vector<std::string> out;
    for (const auto& b : h.plat.Boxes)
      if (b.Title == title) out.push_back(b.Text);
    return out;
  }
  std::string FirstBox(const std::string& title) const {
    auto t = Texts(title);
    return t.empty() ? "(none)" : t.front();
  }
  double Q(const char* key, int board = 0) const { return query_(key, board); }
  void StartWith(float channelsCode) {
    h.Start();
    if (channelsCode == 2) {
      h.plat.Boxes.clear();
      h.Click(ui::MenuId::mnuSystemActiveChannels16);
    }
  }
  // The limits every pulse must respect, as the boards saw them.
  void ExpectDriveWithinLimits(double maxVolts = -1) const {
    if (maxVolts < 0) maxVolts = p.Row(profile::row::MaxDriveVolts);
    double limit = std::min(4000.0, std::floor(maxVolts * 400.0));
    for (int b = 0; b < 2; ++b) {
      EXPECT_LE(Q("MaxDriveLevel", b), limit) << "board " << b;
      if (Q("Pulses", b) > 0) {
        EXPECT_GE(Q("MinDriveCode", b), 1);
        EXPECT_LE(Q("MaxDriveCode", b), 255);
      }
    }
  }
  int Boxes(const std::string& title) const { return h.plat.CountBoxes(title); }

  testing_support::TempDir dir_;
  testing_support::InDirectory in_{dir_.Path()};
  void* lib_ = nullptr;
  int32_t (*reset_)() = nullptr;
  int32_t (*reconfigure_)() = nullptr;
  double (*query_)(const char*, int32_t) = nullptr;
  Harness h;
  Program& p = h.prog;
  Program* other_ = nullptr;  // a second program bound to the simulator
};

}  // namespace testing_support

#endif
