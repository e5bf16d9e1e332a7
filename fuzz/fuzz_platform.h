#pragma once
// A silent platform for the fuzz targets: every box answers Retry a few times and then
// Cancel, every prompt and dialog is cancelled, drawing goes nowhere.
#include <string>

#include "ui/headless_platform.h"
#include "ui/platform.h"

namespace fuzzing {

class NullCanvas : public ui::Canvas {
 public:
  int Width() const override { return 800; }
  int Height() const override { return 500; }
  void Scale(double, double, double, double) override {}
  void Clear(int) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void SetFontSize(double) override {}
  bool SavePicture(const std::string&) override { return false; }
  bool LoadPicture(const std::string&) override { return false; }
};

class NullPrinter : public ui::Printer {
 public:
  double PageWidth() const override { return 12240; }
  double PageHeight() const override { return 15840; }
  void Scale(double, double, double, double) override {}
  void SetFontSize(double) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void PrintPlotImage(double, double, double, double) override {}
  bool EndDoc() override { return true; }
  int IntSetting() const override { return 0; }
  void SetIntSetting(int) override {}
  float FloatSetting() const override { return 0; }
  void SetFloatSetting(float) override {}
};

// The headless platform of the program, with its own answers: every box answers Retry a
// few times and then Cancel (Yes to a question), and drawing has a size to scale to.
class NullPlatform : public ui::HeadlessPlatform {
 public:
  int Boxes = 0;
  int RetriesLeft = 2;
  ui::Answer MessageBox(const std::string&, ui::Buttons b, ui::Icon, const std::string&) override {
    ++Boxes;
    if (b == ui::Buttons::RetryCancel)
      return RetriesLeft-- > 0 ? ui::Answer::Retry : ui::Answer::Cancel;
    return b == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::OK;
  }
  std::string ShortDate() override { return "1/1/2000"; }
  std::string ShortTime() override { return "00:00"; }
  ui::Canvas& PlotCanvas() override { return canvas_; }
  ui::Printer& GetPrinter() override { return printer_; }

 private:
  NullCanvas canvas_;
  NullPrinter printer_;
};

}  // namespace fuzzing
