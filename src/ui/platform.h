#pragma once
// What the core asks of the toolkit: boxes, dialogs, the plot canvas, the printer, the
// clipboard, the clock, the help viewer and a random source. The Qt front end and the
// test platform implement it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class Buttons { OK, OKCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { OK, Cancel, Yes, No, Retry };

// The plot picture box. Coordinates are in the canvas' own scale units (set by Scale);
// colours are palette indexes 0..15.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // The picture box's current size in pixels, not that of the picture it holds.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // User scale: (x1, y1) is the top-left corner, (x2, y2) the bottom-right one.
  virtual void Scale(double x1, double y1, double x2, double y2) = 0;
  virtual void Clear(int backColor) = 0;
  virtual void Line(double x1, double y1, double x2, double y2, int color) = 0;
  virtual void Text(double x, double y, const std::string& text, int color) = 0;
  virtual void SetFontSize(double points) = 0;
  // Saves the picture as a bitmap file; returns false when the file cannot be written.
  virtual bool SavePicture(const std::string& path) = 0;
  // Loads a picture file; returns false when the file is not a picture it can read.
  virtual bool LoadPicture(const std::string& path) = 0;
  // Called once the refresh has drawn everything.
  virtual void Finish() {}
};

enum class LineStyle { Solid, Dashed, Dotted };

// The printer page. Coordinates in the printer's scale units.
class Printer {
 public:
  virtual ~Printer() = default;
  virtual double PageWidth() const = 0;
  virtual double PageHeight() const = 0;
  virtual void Scale(double x1, double y1, double x2, double y2) = 0;
  virtual void SetFontSize(double points) = 0;
  virtual void Line(double x1, double y1, double x2, double y2, int color) = 0;
  virtual void Text(double x, double y, const std::string& text, int color) = 0;
  virtual void PrintPlotImage(double x, double y, double w, double h) = 0;
  virtual bool EndDoc() = 0;  // false when the page could not be printed
  // Ends the page and starts the next one of the same document.
  virtual void NewPage() {}
  // Pen width of the lines that follow, in points.
  virtual void SetLineWidth(double points) { (void)points; }
  // Pattern of the lines that follow; a line that starts where the last one ended carries
  // the pattern on, so that a trace of short segments still shows its dashes.
  virtual void SetLineStyle(LineStyle style) { (void)style; }
  // Width of a text in the current font, in scale units; 0 when the printer cannot tell.
  virtual double TextWidth(const std::string& text) const {
    (void)text;
    return 0;
  }
  // The image of the whole main window, fitted to the page (a form print).
  virtual void PrintFormImage() { PrintPlotImage(0, 0, PageWidth(), PageHeight()); }
  // The printer setup dialog under `title`; true when the operator confirmed a choice,
  // which the next page then uses.
  virtual bool SetupDialog(const std::string& title) {
    (void)title;
    return false;
  }
  // The two saved printer properties restored at exit.
  virtual int IntSetting() const = 0;
  virtual void SetIntSetting(int v) = 0;
  virtual float FloatSetting() const = 0;
  virtual void SetFloatSetting(float v) = 0;
};

// One field of a form dialog: a check box, or a number typed as text.
struct FormField {
  std::string Caption;
  bool IsCheck = false;
  bool Checked = false;
  std::string Text;
};

// The test history window's rows, as texts to show, and its two commands; the core fills
// and answers them.
struct HistoryRunRow {
  int64_t Id = 0;
  std::string Date, Profile, Kind, Procedure, Pulses, EndedBy;  // Date in UTC
};
struct HistoryPulseRow {
  int64_t Id = 0;
  std::string Time, Kind, Level, ControlPeak, Verdict;  // Time in UTC
};
class HistoryModel {
 public:
  virtual ~HistoryModel() = default;
  // The runs, those without a pulse only when `withoutPulses`.
  virtual std::vector<HistoryRunRow> Runs(bool withoutPulses) = 0;
  virtual std::vector<HistoryPulseRow> Pulses(int64_t run) = 0;
  // Loads the pulse into the main plot as a recalled record.
  virtual void Show(int64_t pulse) = 0;
  // Writes the pulse's samples to a CSV file the operator chooses.
  virtual void Export(int64_t pulse) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual Answer MessageBox(const std::string& text, Buttons buttons, Icon icon,
                            const std::string& title) = 0;
  // Returns the text typed, or "" on Cancel.
  virtual std::string InputBox(const std::string& prompt, const std::string& title,
                               const std::string& defaultText) = 0;
  // filter: "Name|pattern|Name|pattern"; filterIndex is 1-based. Returns the chosen
  // file name, or `fileName` unchanged when the dialog is cancelled.
  virtual std::string OpenFileDialog(const std::string& title, const std::string& filter,
                                     int filterIndex, const std::string& fileName) = 0;
  virtual std::string SaveFileDialog(const std::string& title, const std::string& filter,
                                     int filterIndex, const std::string& fileName) = 0;
  virtual bool PrinterSetupDialog() = 0;
  // One dialog of several fields under `title`, with `note` above them. True on OK with the
  // fields as the operator left them; false on Cancel (the fields are then unchanged).
  virtual bool FormDialog(const std::string& title, const std::string& note,
                          std::vector<FormField>& fields) = 0;

  virtual void ClipboardClear() = 0;
  virtual void ClipboardSetText(const std::string& text) = 0;
  virtual void ClipboardSetPlot() = 0;  // the picture of the plot canvas

  virtual double SecondsSinceMidnight() = 0;
  virtual std::string ShortDate() = 0;
  virtual std::string ShortTime() = 0;

  virtual void ShowHelp(const std::string& helpFile) = 0;
  virtual double Random() = 0;  // uniform in [0, 1)
  // Lets the screen show the model during long synchronous work; runs no other handler.
  virtual void Refresh() = 0;
  // Lets the toolkit run for up to `ms` during a long wait on the board: the window paints
  // and takes input, and the events reach the core's entry point, which admits only Abort
  // while a handler runs. A test platform advances its virtual time instead.
  virtual void Pump(int ms) = 0;
  // A steady clock in milliseconds, for the bounds of the waits.
  virtual double MonotonicMs() = 0;
  virtual void EndProgram() = 0;

  virtual Canvas& PlotCanvas() = 0;
  virtual Printer& GetPrinter() = 0;

  // A procedure's pause: its text with Continue and Abort. OK is Continue, Cancel is
  // Abort, No means nobody is there to answer.
  virtual Answer PauseBox(const std::string& text, const std::string& title) = 0;
  // A printer of its own writing a PDF document to `path`; none where the platform has no
  // PDF writer.
  virtual std::unique_ptr<Printer> PdfPrinter(const std::string& path) = 0;
  // The test history window, open until the operator closes it; without a window, nothing.
  virtual void HistoryWindow(HistoryModel& model) = 0;
};

// What a platform without a form dialog, a PDF writer or a history window does. A
// platform that passes calls through to another derives from Platform itself, so that a
// call it forgets to pass on fails to compile instead of doing nothing.
class PlatformDefaults : public Platform {
 public:
  bool FormDialog(const std::string& title, const std::string& note,
                  std::vector<FormField>& fields) override {
    (void)title;
    (void)note;
    (void)fields;
    return false;
  }
  void Pump(int ms) override {
    (void)ms;
    Refresh();
  }
  double MonotonicMs() override {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
  }
  Answer PauseBox(const std::string& text, const std::string& title) override {
    return MessageBox(text, Buttons::OKCancel, Icon::Information, title) == Answer::OK
               ? Answer::OK
               : Answer::Cancel;
  }
  std::unique_ptr<Printer> PdfPrinter(const std::string& path) override {
    (void)path;
    return nullptr;
  }
  void HistoryWindow(HistoryModel& model) override { (void)model; }
};

}  // namespace ui
