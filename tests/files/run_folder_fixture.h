#pragma once
// A demo-mode program run in an empty working folder of its own, with a plant that always
// answers the test level and limits that never trip, so that a run reaches its end.
#include <gtest/gtest.h>

#include <string>

#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace testing_support {

class RunFolderTest : public ::testing::Test {
 protected:
  static void Plant(Program& p) {
    p.run.PulseCount++;
    p.control.ControlPeakG = p.plot.TestLevelG;
  }
  void SetUp() override {
    profile::SetProfileDefaults(p);
    p.daq.DemoMode = 1;
    profile::RecomputeProfile(p);
    p.control.PulseSource = Plant;
    p.Row(profile::row::AbortLevelDb) = 25;
    for (int r : {profile::row::LimitA, profile::row::LimitV, profile::row::LimitD})
      p.Row(r) = 1e9f;
  }
  TempDir dir_;
  InDirectory in_{dir_.Path()};
  Harness h;
  Program& p = h.prog;
};

}  // namespace testing_support
