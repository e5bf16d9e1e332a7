// One synthesis and one kinematics pass, for the default profile and for the profiles
// that need the most drive passes.
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "profile/kinematics.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"

namespace {

class QuietCanvas : public ui::Canvas {
 public:
  int Width() const override { return 1000; }
  int Height() const override { return 600; }
  void Scale(double, double, double, double) override {}
  void Clear(int) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void SetFontSize(double) override {}
  bool SavePicture(const std::string&) override { return true; }
  bool LoadPicture(const std::string&) override { return true; }
};

class QuietPrinter : public ui::Printer {
 public:
  double PageWidth() const override { return 12240; }
  double PageHeight() const override { return 15840; }
  void Scale(double, double, double, double) override {}
  void SetFontSize(double) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void PrintPlotImage(double, double, double, double) override {}
  bool EndDoc() override { return true; }
  int IntSetting() const override { return 1; }
  void SetIntSetting(int) override {}
  float FloatSetting() const override { return 1; }
  void SetFloatSetting(float) override {}
};

class QuietPlatform : public ui::Platform {
 public:
  ui::Answer MessageBox(const std::string&, ui::Buttons, ui::Icon, const std::string&) override {
    return ui::Answer::OK;
  }
  std::string InputBox(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  std::string OpenFileDialog(const std::string&, const std::string&, int,
                             const std::string& n) override {
    return n;
  }
  std::string SaveFileDialog(const std::string&, const std::string&, int,
                             const std::string& n) override {
    return n;
  }
  bool PrinterSetupDialog() override { return false; }
  void ClipboardClear() override {}
  void ClipboardSetText(const std::string&) override {}
  void ClipboardSetPlot() override {}
  double SecondsSinceMidnight() override { return 0; }
  std::string ShortDate() override { return ""; }
  std::string ShortTime() override { return ""; }
  void ShowHelp(const std::string&) override {}
  double Random() override { return 0.5; }
  void Refresh() override {}
  void EndProgram() override {}
  ui::Canvas& PlotCanvas() override { return canvas; }
  ui::Printer& GetPrinter() override { return printer; }

  QuietCanvas canvas;
  QuietPrinter printer;
};

enum class Case { Default, SlowestBuiltIn, HugeCustom };

void Prepare(Program& p, Case c) {
  profile::SetProfileDefaults(p);
  using namespace profile::row;
  if (c == Case::SlowestBuiltIn) {
    // The most drive passes of any built-in shape: a long unclipped cusp at the lowest
    // rate, whose running sum grows through the whole record.
    p.Row(PulseShape) = 7;
    p.Row(PulseDuration) = 99;
    p.Row(SampleRateCode) = 1;
    p.Row(LoadCompensation) = 0;
    p.Row(CompMode) = 2;
  } else if (c == Case::HugeCustom) {
    p.Row(PulseShape) = 9;
    p.Row(SampleRateCode) = 1;
    for (int i = 0; i < 1024; ++i) p.profile.CustomShape[i] = 1e6f;
  }
  p.plot.TestLevelG = p.Row(PulseAmplitude);
  profile::SynthesizePulse(p);
}

void BM_SynthesizePulse(benchmark::State& state) {
  QuietPlatform platform;
  Program p(platform);
  Prepare(p, static_cast<Case>(state.range(0)));
  for (auto _ : state) {
    profile::SynthesizePulse(p);
    benchmark::DoNotOptimize(p.wave.DriveCodes.data());
  }
  state.counters["scale"] = p.wave.DriveScale;
}

void BM_ComputeReferenceKinematics(benchmark::State& state) {
  QuietPlatform platform;
  Program p(platform);
  Prepare(p, static_cast<Case>(state.range(0)));
  profile::KinematicsTrace trace;
  for (auto _ : state) {
    profile::ComputeReferenceKinematics(p, &trace);
    benchmark::DoNotOptimize(trace.Displacement.data());
  }
}

}  // namespace

BENCHMARK(BM_SynthesizePulse)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ComputeReferenceKinematics)->Arg(0)->Arg(1)->Arg(2);
