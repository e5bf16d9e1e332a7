// The calibration file reader on arbitrary text: it must end, never crash, and leave only
// finite numbers in the table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/program.h"
#include "files/calibration.h"

namespace {

class NullCanvas : public ui::Canvas {
 public:
  int Width() const override { return 100; }
  int Height() const override { return 100; }
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
  double PageWidth() const override { return 1; }
  double PageHeight() const override { return 1; }
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

// Answers Retry to the first boxes, then Cancel, so a reader stuck on a bad line ends.
class FuzzPlatform : public ui::Platform {
 public:
  int Boxes = 0;
  ui::Answer MessageBox(const std::string&, ui::Buttons, ui::Icon, const std::string&) override {
    return ++Boxes < 4 ? ui::Answer::Retry : ui::Answer::Cancel;
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
  ui::Canvas& PlotCanvas() override { return canvas_; }
  ui::Printer& GetPrinter() override { return printer_; }

 private:
  NullCanvas canvas_;
  NullPrinter printer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzPlatform platform;
  Program p(platform);
  common::TextReader reader(std::string(reinterpret_cast<const char*>(data), size));
  files::ReadCalFactors(p, reader);
  for (float v : p.files.CalFactors)
    if (!std::isfinite(v)) std::abort();
  if (platform.Boxes > 4 * files::kCalEntries) std::abort();
  return 0;
}
