#pragma once
// A demo-mode program run in an empty working folder of its own, with a plant that always
// answers the test level and limits that never trip, so that a run reaches its end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "profile/recompute.h"
#include "support/test_platform.h"

namespace testing_support {

class RunFolderTest : public ::testing::Test {
 protected:
  static void Plant(Program& p) {
    p.run.PulseCount++;
    p.control.ControlPeakG = p.plot.TestLevelG;
  }
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("krx-run-") + std::to_string(getpid()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
    profile::RecomputeProfile(p);
    p.control.PulseSource = Plant;
    p.Row(profile::row::AbortLevelDb) = 25;
    for (int r : {profile::row::LimitA, profile::row::LimitV, profile::row::LimitD})
      p.Row(r) = 1e9f;
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static std::string Read(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::filesystem::path old_, dir_;
  Harness h;
  Program& p = h.prog;
};

}  // namespace testing_support
