#pragma once
// A program on the test platform, set up with the built-in profile and a plot picture of
// 1000 x 600 pixels; helpers to find the recorded segments of a trace.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "display/plot.h"
#include "profile/recompute.h"
#include "support/test_platform.h"

namespace display_test {

using testing_support::Primitive;
using ui::MenuId;

struct PlotTest : ::testing::Test {
  testing_support::Harness h;
  Program& p = h.prog;
  testing_support::RecordingCanvas& canvas = h.plat.Plot;

  void SetUp() override {
    profile::SetProfileDefaults(p);
    profile::SyncProfileMenus(p);
    canvas.W = 1000;
    canvas.H = 600;
    p.wave.SampleFactor = 4;
    p.wave.PulseSamples = 51.2f;  // 10 ms at 5.12 kHz
    p.wave.ReferencePulse.fill(0);
    p.wave.DriveCodes.fill(128);
    for (int c = 1; c <= 16; ++c) p.daq.ChannelScale[c] = 10;
  }

  // Shows response channel c alone (the test profile view off).
  void ShowOnlyChannels(std::initializer_list<int> channels) {
    p.win.Check(MenuId::mnuViewTest, false);
    for (int c : channels) p.win.Check(MenuId::mnuViewResponse, true, c - 1);
  }

  // Sets sample `scan` of channel c (1..16) to `count`.
  void SetSample(int c, int scan, int16_t count) {
    auto& b = c <= 8 ? p.daq.ScanBuffer : p.daq.SlaveScanBuffer;
    b[scan * 8 + (c <= 8 ? c - 1 : c - 9)] = count;
  }

  std::vector<Primitive> Lines(int color) const {
    std::vector<Primitive> out;
    for (const auto& i : canvas.Items)
      if (i.What == Primitive::Line && i.Color == color) out.push_back(i);
    return out;
  }

  // The segment of `color` from trace point i-1 to point i; a failure and a segment of
  // NaNs when there is none.
  const Primitive* EndingAt(int color, double i) const {
    double x = display::PointX(p, i);
    for (const auto& it : canvas.Items)
      if (it.What == Primitive::Line && it.Color == color && std::fabs(it.X2 - x) < 1e-6 &&
          std::fabs(it.X1 - display::PointX(p, i - 1)) < 1e-6)
        return &it;
    ADD_FAILURE() << "no segment of colour " << color << " ending at point " << i;
    static const Primitive none{Primitive::Line, NAN, NAN, NAN, NAN, "", -1};
    return &none;
  }

  // The value a y coordinate stands for with scale s.
  double ValueAt(double y, double s) const { return (0.5 - y / canvas.H) * p.plot.YZoom / s; }

  int CountTexts(const std::string& t) const {
    int n = 0;
    for (const auto& s : canvas.Texts()) n += s == t;
    return n;
  }

  const Primitive* TextItem(const std::string& t) const {
    for (const auto& i : canvas.Items)
      if (i.What == Primitive::Text && i.Str == t) return &i;
    return nullptr;
  }
};

}  // namespace display_test
