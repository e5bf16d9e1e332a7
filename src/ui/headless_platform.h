#pragma once
// A platform for work without a window: no box is shown (each is answered Cancel, No or
// OK and its text kept as the error), every dialog and prompt is cancelled, and drawing
// and printing go nowhere.
#include <string>

#include "ui/platform.h"

namespace ui {

// A canvas of a given size that draws nowhere.
class NullCanvas : public Canvas {
 public:
  NullCanvas(int width, int height) : width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Scale(double, double, double, double) override {}
  void Clear(int) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void SetFontSize(double) override {}
  bool SavePicture(const std::string&) override { return false; }
  bool LoadPicture(const std::string&) override { return false; }

 private:
  int width_, height_;
};

// A page of a given size that prints nowhere; EndDoc answers `printed`.
class NullPrinter : public Printer {
 public:
  NullPrinter(double width, double height, bool printed)
      : width_(width), height_(height), printed_(printed) {}
  double PageWidth() const override { return width_; }
  double PageHeight() const override { return height_; }
  void Scale(double, double, double, double) override {}
  void SetFontSize(double) override {}
  void Line(double, double, double, double, int) override {}
  void Text(double, double, const std::string&, int) override {}
  void PrintPlotImage(double, double, double, double) override {}
  bool EndDoc() override { return printed_; }
  int IntSetting() const override { return 0; }
  void SetIntSetting(int) override {}
  float FloatSetting() const override { return 0; }
  void SetFloatSetting(float) override {}

 private:
  double width_, height_;
  bool printed_;
};

class HeadlessPlatform : public ui::PlatformDefaults {
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
  std::string error_;
  NullCanvas canvas_{0, 0};
  NullPrinter printer_{0, 0, false};
};

}  // namespace ui
