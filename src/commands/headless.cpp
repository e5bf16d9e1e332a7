#include "commands/headless.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <thread>

#include "app/events.h"
#include "daq/call_layer.h"
#include "history/history.h"
#include "procedure/report.h"
#include "procedure/runner.h"
#include "ui/headless_platform.h"
#include "ui/timer_schedule.h"

namespace procedure {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 10;
constexpr std::size_t kMaxPauseLine = 80;  // a longer line is no answer anyway

std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

std::string Fixed(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

class ConsolePlatform : public ui::HeadlessPlatform {
 public:
  ConsolePlatform(const HeadlessSetup& setup, std::ostream& err)
      : setup_(setup), err_(err), rng_(std::random_device{}()) {}

  void Attach(Program& p) {
    prog_ = &p;
    p.win.TimerWritten = [this](ui::TimerId) { SyncTimers(); };
    SyncTimers();
  }

  ui::Answer MessageBox(const std::string& text, ui::Buttons buttons, ui::Icon,
                        const std::string& title) override {
    err_ << "krx8: " << OneLine(title.empty() ? text : title + ": " + text) << std::endl;
    // Nobody answers: the headless platform's answers.
    return HeadlessPlatform::MessageBox(text, buttons, ui::Icon::None, title);
  }

  // The pause's text, then lines from standard input until one answers; its end means
  // nobody is there.
  ui::Answer PauseBox(const std::string& text, const std::string&) override {
    ReportPulses();
    err_ << "krx8: PAUSE: " << OneLine(text) << " (Enter or c continues, a aborts)" << std::endl;
    std::string line;
    for (;;) {
      if (Interrupted()) return ui::Answer::Cancel;
      pollfd fd{setup_.InputFd, POLLIN, 0};
      const int ready = ::poll(&fd, 1, kSliceMs);
      FireDue();
      if (ready <= 0) continue;
      char c = 0;
      const ssize_t n = ::read(setup_.InputFd, &c, 1);
      if (n == 0) return ui::Answer::No;
      if (n < 0) continue;
      if (c != '\n') {
        if (line.size() < kMaxPauseLine) line += c;
        continue;
      }
      switch (PauseReplyOf(line)) {
        case PauseReply::Continue:
          return ui::Answer::OK;
        case PauseReply::Abort:
          return ui::Answer::Cancel;
        case PauseReply::AskAgain:
          err_ << "krx8: PAUSE: answer with Enter or c to continue, a to abort" << std::endl;
          line.clear();
          break;
      }
    }
  }

  void Pump(int ms) override { RunFor(ms); }
  double SecondsSinceMidnight() override {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec;
  }
  std::string ShortDate() override { return Format("%Y-%m-%d"); }
  std::string ShortTime() override { return Format("%H:%M:%S"); }
  double Random() override { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }
  std::unique_ptr<ui::Printer> PdfPrinter(const std::string& path) override {
    return setup_.Pdf ? setup_.Pdf(path) : nullptr;
  }

  bool Interrupted() const { return setup_.Stop && *setup_.Stop != 0; }

  // Real time moves on for `ms`: due timers fire, a signal becomes the Abort command.
  void RunFor(double ms) {
    const double end = Now() + ms;
    for (;;) {
      FireDue();
      const double now = Now();
      if (now >= end) break;
      double next = end;
      for (int i = 0; i < ui::TimerSchedule::kTimers; ++i) next = std::min(next, timers_.DueAt(i));
      const double wait = std::min(std::max(next - now, 0.0), static_cast<double>(kSliceMs));
      if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(wait));
    }
  }

  // One line per pulse the procedure recorded since the last look.
  void ReportPulses() {
    const auto& st = prog_->procedure;
    for (std::size_t i = 0; i < st.Steps.size(); ++i) {
      const auto& rows = st.Steps[i].Pulses;
      if (i < printed_.size() && printed_[i] >= rows.size()) continue;
      if (printed_.size() < st.Steps.size()) printed_.resize(st.Steps.size(), 0);
      for (; printed_[i] < rows.size(); ++printed_[i]) {
        const StepPulse& r = rows[printed_[i]];
        const std::string verdict = r.Pretest ? "-" : r.Verdict.Text;
        err_ << "krx8: step " << i + 1 << " (" << st.Proc.Steps[i].Name << "), "
             << (r.Pretest ? "pre-test" : "full level") << ", level " << Fixed(r.LevelG)
             << " G, control peak " << Fixed(r.ControlPeakG) << " G, " << verdict
             << (r.Shaped ? ", waveform error " + Fixed(r.ErrorPct) + " %" : "") << std::endl;
      }
    }
  }

  void Send(const app::Event& e) {
    app::HandleEvent(*prog_, e);
    SyncTimers();
    if (!prog_->run.Busy) ReportPulses();
  }

 private:
  static std::string Format(const char* fmt) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    return std::strftime(buf, sizeof buf, fmt, &tm) ? buf : "";
  }
  double Now() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
  }
  void SyncTimers() {
    if (prog_) timers_.Sync(prog_->win);
  }
  // Fires every timer that fell due (never inside its own tick) and the signal's Abort,
  // which is kept for the procedure when it comes during the start-up.
  void FireDue() {
    if (!prog_) return;
    if (Interrupted() && !abortSent_ && Active(*prog_)) {
      abortSent_ = true;
      Send(app::Event::Of(app::EventKind::Signal));
    }
    for (int i = 0; i < ui::TimerSchedule::kTimers; ++i) {
      if (!timers_.Ready(i, Now())) continue;
      timers_.Fire(prog_->win, i, [this](ui::TimerId id) { Send(app::Event::Tick(id)); });
    }
  }

  const HeadlessSetup& setup_;
  std::ostream& err_;
  std::mt19937 rng_;
  Program* prog_ = nullptr;
  Clock::time_point start_ = Clock::now();
  ui::TimerSchedule timers_{[this] { return Now(); }};
  bool abortSent_ = false;
  std::vector<std::size_t> printed_;
};

}  // namespace

PauseReply PauseReplyOf(const std::string& line) {
  std::string word;
  for (char c : line)
    if (c != ' ' && c != '\t' && c != '\r')
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!word.empty() && c == ' ')
      word += ' ';
  while (!word.empty() && word.back() == ' ') word.pop_back();
  if (word.empty() || word == "c" || word == "continue") return PauseReply::Continue;
  if (word == "a" || word == "abort") return PauseReply::Abort;
  return PauseReply::AskAgain;
}

int RunHeadless(const HeadlessSetup& setup, std::ostream& err) {
  Procedure proc;
  std::vector<std::string> errors;
  const bool accepted = LoadProcedure(setup.File, proc, errors);
  for (const auto& w : proc.Warnings) err << "krx8: warning: " << OneLine(w) << '\n';
  if (!accepted) {
    for (const auto& e : errors) err << "krx8: " << OneLine(e) << '\n';
    err << "krx8: the procedure was refused; nothing was driven" << std::endl;
    return kRefusedExitStatus;
  }
  ConsolePlatform platform(setup, err);
  auto prog = std::make_unique<Program>(platform);
  platform.Attach(*prog);
  // Every pulse of the procedure is kept, as in the window.
  history::Attach(*prog, history::PathFrom(std::getenv("KRX8_HISTORY")));
  platform.Send(app::Event::Of(app::EventKind::SplashDone));
  if (!Begin(*prog, std::move(proc))) return 1;
  err << "krx8: procedure \"" << prog->procedure.Proc.Title << "\", "
      << prog->procedure.Proc.Steps.size() << " steps, " << prog->procedure.Mode << std::endl;
  platform.Send(app::Event::Of(app::EventKind::Procedure));
  while (!Finished(*prog)) platform.RunFor(kSliceMs);
  platform.ReportPulses();
  const auto& st = prog->procedure;
  err << "krx8: procedure " << EndingText(st.End)
      << (st.EndText.empty() ? "" : " - " + OneLine(st.EndText));
  if (st.End != Ending::Completed && st.StepIndex < st.Proc.Steps.size())
    err << " at step " << st.StepIndex + 1 << " (" << st.Proc.Steps[st.StepIndex].Name << ")";
  if (st.End == Ending::Completed) err << ", verdict " << OverallVerdict(*prog);
  err << "; report " << (st.ReportWritten ? st.Proc.Report : "not written: " + st.ReportError)
      << std::endl;
  const int status = ExitStatus(*prog);
  // The lines are reset and the drive released as closing the window does.
  platform.Send(app::Event::Of(app::EventKind::Unload));
  daq::ReleaseDriver(*prog);
  return status;
}

}  // namespace procedure
