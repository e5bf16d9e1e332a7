#pragma once
// The platform on Qt: real boxes and dialogs, the QImage plot, the printer, the clipboard.
#include <random>

#include "qt/file_listing.h"
#include "qt/qt_canvas.h"
#include "qt/qt_printer.h"
#include "ui/platform.h"

namespace qtui {

class MainWindow;

class QtPlatform : public ui::PlatformDefaults {
 public:
  QtPlatform();
  void SetWindow(MainWindow* w) { window_ = w; }
  QtCanvas& Canvas() { return canvas_; }

  ui::Answer MessageBox(const std::string& text, ui::Buttons b, ui::Icon i,
                        const std::string& title) override;
  bool FormDialog(const std::string& title, const std::string& note,
                  std::vector<ui::FormField>& fields) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& def) override;
  std::string OpenFileDialog(const std::string& title, const std::string& filter, int idx,
                             const std::string& name) override;
  std::string SaveFileDialog(const std::string& title, const std::string& filter, int idx,
                             const std::string& name) override;
  bool PrinterSetupDialog() override;
  void ClipboardClear() override;
  void ClipboardSetText(const std::string& t) override;
  void ClipboardSetPlot() override;
  double SecondsSinceMidnight() override;
  std::string ShortDate() override;
  std::string ShortTime() override;
  void ShowHelp(const std::string& file) override;
  double Random() override;
  void Refresh() override;
  void Pump(int ms) override;
  void EndProgram() override;
  ui::Canvas& PlotCanvas() override { return canvas_; }
  ui::Printer& GetPrinter() override { return printer_; }
  ui::Answer PauseBox(const std::string& text, const std::string& title) override;
  std::unique_ptr<ui::Printer> PdfPrinter(const std::string& path) override;
  void HistoryWindow(ui::HistoryModel& model) override;

 private:
  QWidget* Parent() const;
  void SyncWindow();
  ListingGuard listing_;  // no dialog of this platform opens the files it lists
  QtCanvas canvas_;
  QtPrinter printer_;
  MainWindow* window_ = nullptr;
  std::mt19937 rng_;
};

// "Name|pattern|Name|pattern" as Qt's filter list.
QStringList TranslateFilter(const std::string& filter);

}  // namespace qtui
