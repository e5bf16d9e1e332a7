#include "display/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "plot_fixture.h"

namespace display_test {
namespace {

using display::ComplexFFT;

std::vector<float> RandomPoints(int nn, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1, 1);
  std::vector<float> d(2 * nn + 1, 0.0f);
  for (int i = 1; i <= 2 * nn; ++i) d[i] = u(rng);
  return d;
}

TEST(ComplexFFT, AgreesWithAPlainFourierSum) {
  for (int nn : {2, 8, 64, 1024}) {
    for (int sign : {1, -1}) {
      auto data = RandomPoints(nn, 7u + nn);
      auto in = data;
      ComplexFFT(data, nn, sign);
      double worst = 0;
      for (int k = 0; k < nn; ++k) {
        std::complex<double> sum = 0;
        for (int j = 0; j < nn; ++j)
          sum += std::complex<double>(in[2 * j + 1], in[2 * j + 2]) *
                 std::polar(1.0, sign * 2 * M_PI * j * k / nn);
        worst =
            std::max(worst, std::abs(sum - std::complex<double>(data[2 * k + 1], data[2 * k + 2])));
      }
      EXPECT_LT(worst, 1e-5 * nn) << nn << " " << sign;
    }
  }
}

TEST(ComplexFFT, ForwardThenInverseGivesNnTimesTheInput) {
  for (int nn : {4, 1024}) {
    auto data = RandomPoints(nn, 99);
    auto in = data;
    ComplexFFT(data, nn, 1);
    ComplexFFT(data, nn, -1);
    for (int i = 1; i <= 2 * nn; ++i) ASSERT_NEAR(data[i], nn * in[i], 1e-4 * nn) << i;
  }
}

TEST(ComplexFFT, LeavesDataAloneForArgumentsOutOfRange) {
  auto data = RandomPoints(16, 3);
  auto in = data;
  ComplexFFT(data, 12, 1);                              // not a power of two
  ComplexFFT(data, 32, 1);                              // longer than the data
  ComplexFFT(data, 16, 0);                              // no sign
  ComplexFFT(std::span<float>(data).first(32), 16, 1);  // one element short
  EXPECT_EQ(data, in);
}

struct SpectrumTest : PlotTest {
  void SetUp() override {
    PlotTest::SetUp();
    p.win.Check(MenuId::mnuViewTest, false);
    p.win.Check(MenuId::mnuViewSRS, true);
    p.plot.YZoom = 1;
  }
  void SetChannel1(auto f) {
    for (int k = 0; k < 1024; ++k) p.daq.ScanBuffer[k * 8] = static_cast<int16_t>(f(k));
  }
  // Bar heights in the units of the bars: (p + v) of bar k at k - 1.
  std::vector<double> Bars() const {
    std::vector<double> out;
    for (const auto& l : Lines(12)) out.push_back((1 - l.Y2 / canvas.H) * 100 * p.plot.YZoom);
    return out;
  }
};

TEST_F(SpectrumTest, ZeroCountsGiveFlatBars) {
  display::RefreshPlot(p);
  EXPECT_EQ(CountTexts(" SHOCK RESPONSE SPECTRUM "), 1);
  auto l = Lines(12);
  ASSERT_EQ(l.size(), 400u);
  for (const auto& b : l) {
    EXPECT_DOUBLE_EQ(b.Y1, 600);
    EXPECT_DOUBLE_EQ(b.Y2, 600);
  }
}

TEST_F(SpectrumTest, ConstantInputFillsTheFirstBinAndItsNeighbourBar) {
  // Channel 1 only, raw counts: other channels, zero and scale play no part.
  SetChannel1([](int) { return 1000; });
  for (int k = 0; k < 1024; ++k) p.daq.ScanBuffer[k * 8 + 1] = 5000;
  p.daq.AdcZero = 300;
  display::RefreshPlot(p);
  auto bars = Bars();
  ASSERT_EQ(bars.size(), 400u);
  // The sum of the 1024 points of .1 (the last one lies past the record and reads 0).
  const double v1 = 0.05 * 1023 * 1000 * 0.0001;
  EXPECT_NEAR(bars[0], v1, 1e-3);
  EXPECT_NEAR(bars[1], v1, 0.01);  // its own small bin plus the first
  for (int k = 3; k < 400; ++k) ASSERT_LT(bars[k], 0.05 * v1) << k;
  EXPECT_NEAR(p.plot.SpecRe[1], 102.3, 1e-3);

  SetChannel1([](int) { return 20000; });
  display::RefreshPlot(p);
  EXPECT_NEAR(Bars()[0], 100, 1e-9);  // clipped at 100
  EXPECT_NEAR(Lines(12)[0].Y2, 0, 1e-9);
}

TEST_F(SpectrumTest, ToneShowsAsABarPair) {
  const int b = 50;
  SetChannel1([&](int k) { return std::lround(2000 * std::cos(2 * M_PI * b * k / 1024)); });
  display::RefreshPlot(p);
  auto bars = Bars();
  // Element b+1 holds the tone: half the amplitude times the points.
  const double v = 0.05 * std::sqrt((b + 1) * std::pow(0.5 * 1024 * 0.2, 2));
  EXPECT_NEAR(bars[b], v, 0.01 * v);
  EXPECT_NEAR(bars[b + 1], v, 0.01 * v);
  for (int k = 0; k < 400; ++k)
    if (k != b && k != b + 1) {
      ASSERT_LT(bars[k], 0.02 * v) << k;
    }

  // Drawing it again starts again from the raw buffer.
  auto first = canvas.Items;
  display::RefreshPlot(p);
  ASSERT_EQ(canvas.Items.size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(canvas.Items[i].Y2, first[i].Y2);
}

TEST_F(SpectrumTest, BarsSpreadBySamplingFactorNotZoom) {
  for (int f : {1, 2, 4, 8}) {
    p.wave.SampleFactor = static_cast<int16_t>(f);
    p.plot.XZoom = 4;
    display::RefreshPlot(p);
    auto l = Lines(12);
    ASSERT_GE(l.size(), 200u);
    EXPECT_NEAR(l[0].X1, 0.625 * f, 1e-9);
    EXPECT_NEAR(l[199].X1, 200 * 0.625 * f, 1e-9);
    EXPECT_DOUBLE_EQ(l[0].X1, l[0].X2);  // vertical
  }
  // At 5.12 kHz bar 400 lies on the right edge.
  p.wave.SampleFactor = 4;
  display::RefreshPlot(p);
  EXPECT_NEAR(Lines(12)[399].X1, 1000, 1e-9);
}

}  // namespace
}  // namespace display_test
