#pragma once
// A platform for tests: scripted answers, recorded boxes and drawing, virtual time.
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/events.h"
#include "program/program.h"
#include "ui/platform.h"
#include "ui/timer_schedule.h"

namespace testing_support {

struct Box {
  std::string Text, Title;
  ui::Buttons ButtonSet;
  ui::Icon IconKind;
};

struct Prompt {
  std::string Text, Title, Default;
};

struct Dialog {
  bool Save;
  std::string Title, Filter, FileName;
  int FilterIndex;
};

struct Primitive {
  enum Kind { Clear, Line, Text, Scale, Font } What;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::string Str;
  int Color = 0;
  ui::LineStyle Style = ui::LineStyle::Solid;  // a printed line's pattern
};

class RecordingCanvas : public ui::Canvas {
 public:
  int W = 1000, H = 600;
  std::vector<Primitive> Items;
  std::vector<std::string> SavedTo, LoadedFrom;
  bool FailSave = false, FailLoad = false;
  int Width() const override { return W; }
  int Height() const override { return H; }
  void Scale(double x1, double y1, double x2, double y2) override {
    Items.push_back({Primitive::Scale, x1, y1, x2, y2, "", 0});
  }
  void Clear(int back) override {
    Items.clear();
    Items.push_back({Primitive::Clear, 0, 0, 0, 0, "", back});
  }
  void Line(double x1, double y1, double x2, double y2, int c) override {
    Items.push_back({Primitive::Line, x1, y1, x2, y2, "", c});
  }
  void Text(double x, double y, const std::string& t, int c) override {
    Items.push_back({Primitive::Text, x, y, 0, 0, t, c});
  }
  void SetFontSize(double pts) override { Items.push_back({Primitive::Font, pts, 0, 0, 0, "", 0}); }
  bool SavePicture(const std::string& path) override;
  bool LoadPicture(const std::string& path) override;
  // Texts drawn, in order.
  std::vector<std::string> Texts() const;
  int CountLines(int color = -1) const;
};

class RecordingPrinter : public ui::Printer {
 public:
  std::vector<Primitive> Items;
  int Docs = 0, PlotImages = 0;
  bool FailEndDoc = false;
  int IntValue = 1;
  float FloatValue = 1.0f;
  double PageWidth() const override { return 12240; }
  double PageHeight() const override { return 15840; }
  void Scale(double x1, double y1, double x2, double y2) override {
    Items.push_back({Primitive::Scale, x1, y1, x2, y2, "", 0});
  }
  void SetFontSize(double pts) override { Items.push_back({Primitive::Font, pts, 0, 0, 0, "", 0}); }
  void Line(double x1, double y1, double x2, double y2, int c) override {
    Items.push_back({Primitive::Line, x1, y1, x2, y2, "", c, Style});
  }
  void Text(double x, double y, const std::string& t, int c) override {
    Items.push_back({Primitive::Text, x, y, 0, 0, t, c});
  }
  ui::LineStyle Style = ui::LineStyle::Solid;
  void SetLineStyle(ui::LineStyle s) override { Style = s; }
  void PrintPlotImage(double, double, double, double) override { ++PlotImages; }
  int NewPages = 0;
  void NewPage() override { ++NewPages; }
  bool EndDoc() override {
    ++Docs;
    if (FailEndDocs > 0) {
      --FailEndDocs;
      return false;
    }
    return !FailEndDoc;
  }
  // Line widths set, in order; setup dialogs shown with their titles.
  std::vector<double> LineWidths;
  std::vector<std::string> SetupTitles;
  int FormImages = 0;
  int FailEndDocs = 0;  // the next pages that fail, before FailEndDoc applies
  bool AcceptSetup = true;
  void SetLineWidth(double pts) override { LineWidths.push_back(pts); }
  double TextWidth(const std::string& t) const override { return 100.0 * t.size(); }
  void PrintFormImage() override { ++FormImages; }
  bool SetupDialog(const std::string& title) override {
    SetupTitles.push_back(title);
    return AcceptSetup;
  }
  int IntSetting() const override { return IntValue; }
  void SetIntSetting(int v) override { IntValue = v; }
  float FloatSetting() const override { return FloatValue; }
  void SetFloatSetting(float v) override { FloatValue = v; }
};

class TestPlatform : public ui::Platform {
 public:
  TestPlatform() : rng_(12345) {}

  // Scripts: answers are taken from the front; with none left a box answers OK, Yes or
  // Cancel, a prompt is cancelled and a file dialog is cancelled.
  std::deque<ui::Answer> Answers;
  std::deque<std::string> Inputs;
  std::deque<std::string> Files;

  std::vector<Box> Boxes;
  // Called as each box appears, to look at what the window shows behind it.
  std::function<void(const Box&)> OnBox;
  std::vector<Prompt> Prompts;
  std::vector<Dialog> Dialogs;
  std::vector<std::string> HelpShown;
  std::vector<std::string> ClipboardTexts;
  int ClipboardPlots = 0, ClipboardClears = 0, Refreshes = 0, PrinterSetups = 0;
  bool Ended = false;
  double NowMs = 0;             // virtual time since the test began
  double StartSeconds = 36000;  // 10:00:00
  RecordingCanvas Plot;
  RecordingPrinter Paper;

  void Seed(unsigned s) { rng_.seed(s); }

  ui::Answer MessageBox(const std::string& text, ui::Buttons b, ui::Icon i,
                        const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& def) override;
  std::string OpenFileDialog(const std::string& title, const std::string& filter, int idx,
                             const std::string& name) override;
  std::string SaveFileDialog(const std::string& title, const std::string& filter, int idx,
                             const std::string& name) override;
  bool PrinterSetupDialog() override {
    ++PrinterSetups;
    return true;
  }
  // Form dialogs: each one shown is kept with its note; a scripted answer edits the fields
  // and confirms, and with none left the dialog is cancelled.
  std::deque<std::function<void(std::vector<ui::FormField>&)>> FormAnswers;
  std::vector<std::vector<ui::FormField>> Forms;
  std::vector<std::string> FormNotes;
  bool FormDialog(const std::string&, const std::string& note,
                  std::vector<ui::FormField>& fields) override {
    Forms.push_back(fields);
    FormNotes.push_back(note);
    if (FormAnswers.empty()) return false;
    auto answer = std::move(FormAnswers.front());
    FormAnswers.pop_front();
    answer(fields);
    return true;
  }
  void ClipboardClear() override { ++ClipboardClears; }
  void ClipboardSetText(const std::string& t) override { ClipboardTexts.push_back(t); }
  void ClipboardSetPlot() override { ++ClipboardPlots; }
  double SecondsSinceMidnight() override { return StartSeconds + NowMs / 1000.0; }
  std::string ShortDate() override { return "12/8/2026"; }
  std::string ShortTime() override;
  void ShowHelp(const std::string& f) override { HelpShown.push_back(f); }
  double Random() override { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }
  void Refresh() override { ++Refreshes; }
  // A wait's slice: virtual time moves on (through OnPump when a harness runs the timers).
  void Pump(int ms) override {
    ++Pumps;
    if (OnPump)
      OnPump(ms);
    else
      NowMs += ms;
  }
  double MonotonicMs() override { return NowMs; }
  std::function<void(int)> OnPump;
  int Pumps = 0;
  void EndProgram() override { Ended = true; }
  ui::Canvas& PlotCanvas() override { return Plot; }
  ui::Printer& GetPrinter() override { return Paper; }
  // A procedure's report: a recording printer per document, the paths asked for.
  std::vector<std::string> PdfPaths;
  std::unique_ptr<ui::Printer> PdfPrinter(const std::string& path) override {
    PdfPaths.push_back(path);
    return std::make_unique<RecordingPrinter>();
  }
  // Answers of the procedure's pause boxes, from the front; with none left, Continue.
  std::deque<ui::Answer> PauseAnswers;
  std::vector<std::string> Pauses;
  ui::Answer PauseBox(const std::string& text, const std::string&) override {
    Pauses.push_back(text);
    if (PauseAnswers.empty()) return ui::Answer::OK;
    ui::Answer a = PauseAnswers.front();
    PauseAnswers.pop_front();
    return a;
  }
  // The test history window: what a test does while it is open.
  std::function<void(ui::HistoryModel&)> OnHistory;
  void HistoryWindow(ui::HistoryModel& model) override {
    if (OnHistory) OnHistory(model);
  }

  // Boxes with this title.
  int CountBoxes(const std::string& title) const;

 private:
  std::mt19937 rng_;
};

// A program on the test platform, with virtual-time timers.
class Harness {
 public:
  Harness() : prog(plat) {
    // The waits inside a handler move virtual time on, firing what falls due meanwhile;
    // a timer restarts its countdown when the core writes it.
    plat.OnPump = [this](int ms) { Advance(ms); };
    prog.win.TimerWritten = [this](ui::TimerId) { SyncTimers(); };
    SyncTimers();
  }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;
  TestPlatform plat;
  Program prog;

  // Runs the start-up as the end of the splash does.
  void Start() { Send(app::Event::Of(app::EventKind::SplashDone)); }
  bool Send(const app::Event& e);
  bool Click(ui::MenuId id, int index = 0) { return Send(app::Event::MenuClick(id, index)); }
  bool Press(ui::ButtonId id) { return Send(app::Event::ButtonClick(id)); }
  bool Key(int k) { return Send(app::Event::KeyPress(k)); }
  bool Spin(ui::SpinId id, bool up);
  // Delivers `e` when virtual time reaches `ms` (also inside a handler's waits).
  void At(double ms, const app::Event& e) { scheduled_.push_back({ms, e, nullptr}); }
  // Runs `action` (a change of the outside world) when virtual time reaches `ms`.
  void AtDo(double ms, std::function<void()> action) {
    scheduled_.push_back({ms, app::Event{}, std::move(action)});
  }
  // Moves virtual time on by `ms`, firing every due tick and scheduled event in order. A
  // timer does not fire inside its own tick; one that fell due meanwhile fires once when
  // the tick ends, as a toolkit timer does.
  void Advance(double ms);
  // Times at which ticks of each timer fired.
  std::vector<double> Fired[3];

 private:
  void SyncTimers() { timers_.Sync(prog.win); }
  ui::TimerSchedule timers_{[this] { return plat.NowMs; }};
  struct Scheduled {
    double At;
    app::Event E;
    std::function<void()> Do;
  };
  std::vector<Scheduled> scheduled_;
};

}  // namespace testing_support
