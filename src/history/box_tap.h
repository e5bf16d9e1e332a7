#pragma once
// Stands between the program and its platform and passes everything through; it only
// tells the history of each message box, so that the boxes of a run are kept without a
// call at every place that shows one, and lets no file dialog hand the history's own files
// to the program (reading or writing them through a second descriptor would drop the
// history's locks).
#include <functional>
#include <string>

#include "ui/platform.h"

namespace history {

class BoxTap : public ui::Platform {
 public:
  explicit BoxTap(ui::Platform& inner) : inner_(inner) {}
  // Told of each box before it is shown: title, text.
  std::function<void(const std::string&, const std::string&)> OnBox;
  // Asked of each file a dialog chose; true refuses it (having said why), as if cancelled.
  std::function<bool(const std::string&)> Refuses;
  ui::Platform& Inner() { return inner_; }

  ui::Answer MessageBox(const std::string& text, ui::Buttons buttons, ui::Icon icon,
                        const std::string& title) override {
    if (OnBox) OnBox(title, text);
    return inner_.MessageBox(text, buttons, icon, title);
  }
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& def) override {
    return inner_.InputBox(prompt, title, def);
  }
  std::string OpenFileDialog(const std::string& title, const std::string& filter, int index,
                             const std::string& name) override {
    return Chosen(inner_.OpenFileDialog(title, filter, index, name), name);
  }
  std::string SaveFileDialog(const std::string& title, const std::string& filter, int index,
                             const std::string& name) override {
    return Chosen(inner_.SaveFileDialog(title, filter, index, name), name);
  }
  bool PrinterSetupDialog() override { return inner_.PrinterSetupDialog(); }
  void ClipboardClear() override { inner_.ClipboardClear(); }
  void ClipboardSetText(const std::string& t) override { inner_.ClipboardSetText(t); }
  void ClipboardSetPlot() override { inner_.ClipboardSetPlot(); }
  double SecondsSinceMidnight() override { return inner_.SecondsSinceMidnight(); }
  std::string ShortDate() override { return inner_.ShortDate(); }
  std::string ShortTime() override { return inner_.ShortTime(); }
  void ShowHelp(const std::string& f) override { inner_.ShowHelp(f); }
  double Random() override { return inner_.Random(); }
  void Refresh() override { inner_.Refresh(); }
  void Pump(int ms) override { inner_.Pump(ms); }
  double MonotonicMs() override { return inner_.MonotonicMs(); }
  void EndProgram() override { inner_.EndProgram(); }
  ui::Canvas& PlotCanvas() override { return inner_.PlotCanvas(); }
  ui::Printer& GetPrinter() override { return inner_.GetPrinter(); }
  void HistoryWindow(ui::HistoryModel& model) override { inner_.HistoryWindow(model); }
  bool FormDialog(const std::string& title, const std::string& note,
                  std::vector<ui::FormField>& fields) override {
    return inner_.FormDialog(title, note, fields);
  }
  ui::Answer PauseBox(const std::string& text, const std::string& title) override {
    if (OnBox) OnBox(title, text);
    return inner_.PauseBox(text, title);
  }
  std::unique_ptr<ui::Printer> PdfPrinter(const std::string& path) override {
    return inner_.PdfPrinter(path);
  }

 private:
  // A cancelled dialog answers the name it was given.
  std::string Chosen(const std::string& chosen, const std::string& given) {
    return chosen != given && Refuses && Refuses(chosen) ? given : chosen;
  }
  ui::Platform& inner_;
};

}  // namespace history
