#pragma once
// A platform for work without a window: no box is shown (each is answered Cancel, No or
// OK and its text kept as the error), every dialog and prompt is cancelled, and drawing
// and printing go nowhere.
#include <string>

#include "ui/platform.h"

namespace ui {

class HeadlessPlatform : public ui::Platform {
 public:
  // The first box's text on one line, "" while none was asked for.
  const std::string& Error() const { return error_; }

  ui::Answer MessageBox(const std::string& text, ui::Buttons buttons, ui::Icon icon,
                        const std::string& title) override;
  std::string InputBox(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  std::string OpenFileDialog(const std::string&, const std::string&, int,
                             const std::string& fileName) override {
    return fileName;
  }
  std::string SaveFileDialog(const std::string&, const std::string&, int,
                             const std::string& fileName) override {
    return fileName;
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
  class NoCanvas : public ui::Canvas {
   public:
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    void Scale(double, double, double, double) override {}
    void Clear(int) override {}
    void Line(double, double, double, double, int) override {}
    void Text(double, double, const std::string&, int) override {}
    void SetFontSize(double) override {}
    bool SavePicture(const std::string&) override { return false; }
    bool LoadPicture(const std::string&) override { return false; }
  };
  class NoPrinter : public ui::Printer {
   public:
    double PageWidth() const override { return 0; }
    double PageHeight() const override { return 0; }
    void Scale(double, double, double, double) override {}
    void SetFontSize(double) override {}
    void Line(double, double, double, double, int) override {}
    void Text(double, double, const std::string&, int) override {}
    void PrintPlotImage(double, double, double, double) override {}
    bool EndDoc() override { return false; }
    int IntSetting() const override { return 0; }
    void SetIntSetting(int) override {}
    float FloatSetting() const override { return 0; }
    void SetFloatSetting(float) override {}
  };

  std::string error_;
  NoCanvas canvas_;
  NoPrinter printer_;
};

}  // namespace ui
