#include "procedure/report.h"

#include <cstdio>
#include <filesystem>

#include "common/number_text.h"
#include "procedure/runner.h"

namespace procedure {

namespace {

constexpr int kBlack = 0, kRed = 4;
constexpr int kTableRows = 30;  // pulse rows on one page

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::string VerdictText(const PulseRow& r) {
  if (r.Pretest) return "pre-test";
  if (!r.Verdict.Judged) return "not judged";
  return r.Verdict.Pass ? "PASS" : "FAIL " + r.Verdict.Failing;
}

std::string Percent(const PulseRow& r, double v) {
  return r.Verdict.Judged ? Fixed(v, 1) : "-";
}

class Page {
 public:
  explicit Page(ui::Printer& pr) : pr_(pr), w_(pr.PageWidth()), h_(pr.PageHeight()) {}
  void Text(double fx, double fy, const std::string& t, double points, int color = kBlack) {
    pr_.SetFontSize(points);
    pr_.Text(fx * w_, fy * h_, t, color);
  }
  void Rule(double fy) { pr_.Line(0.05 * w_, fy * h_, 0.95 * w_, fy * h_, kBlack); }
  void Frame() {
    pr_.SetLineWidth(1.0);
    pr_.Line(0.025 * w_, 0.025 * h_, 0.975 * w_, 0.025 * h_, kBlack);
    pr_.Line(0.975 * w_, 0.025 * h_, 0.975 * w_, 0.975 * h_, kBlack);
    pr_.Line(0.975 * w_, 0.975 * h_, 0.025 * w_, 0.975 * h_, kBlack);
    pr_.Line(0.025 * w_, 0.975 * h_, 0.025 * w_, 0.025 * h_, kBlack);
    pr_.SetLineWidth(0.25);
  }

 private:
  ui::Printer& pr_;
  double w_, h_;
};

void SummaryPage(const Program& p, ui::Printer& pr) {
  Page page(pr);
  page.Frame();
  const auto& st = p.procedure;
  page.Text(0.05, 0.05, st.Proc.Title, 16);
  page.Text(0.05, 0.1, "PROCEDURE REPORT - " + FileName(st.Proc.Path), 10);
  const auto lines = SummaryLines(p);
  double y = 0.15;
  for (const auto& l : lines) {
    page.Text(0.05, y, l, 9);
    y += 0.032;
    if (y > 0.8) break;
  }
  const std::string verdict = OverallVerdict(p);
  page.Text(0.05, 0.84, verdict, 36, verdict == "PASS" ? kBlack : kRed);
}

void TablePage(const Program& p, ui::Printer& pr, std::size_t step, std::size_t first) {
  Page page(pr);
  page.Frame();
  const auto& st = p.procedure;
  const Step& s = st.Proc.Steps[step];
  const StepResult& r = st.Steps[step];
  page.Text(0.05, 0.05,
            "Step " + std::to_string(step + 1) + ": " + s.Name + " - " + FileName(s.Profile), 12);
  static constexpr double kCols[] = {0.05, 0.14, 0.25, 0.36, 0.48, 0.58, 0.68, 0.8};
  static constexpr const char* kHeads[] = {"Time",    "Level G",    "Control peak G", "Peak %",
                                           "Width %", "Vel. ch. %", "Worst band %",   "Verdict"};
  for (int c = 0; c < 8; ++c) page.Text(kCols[c], 0.11, kHeads[c], 9);
  page.Rule(0.14);
  double y = 0.155;
  for (std::size_t i = first; i < r.Pulses.size() && i < first + kTableRows; ++i) {
    const PulseRow& row = r.Pulses[i];
    const std::string cells[] = {row.Time,
                                 Fixed(row.LevelG, 2),
                                 Fixed(row.ControlPeakG, 2),
                                 Percent(row, row.Verdict.PeakPct),
                                 Percent(row, row.Verdict.WidthPct),
                                 Percent(row, row.Verdict.VelocityPct),
                                 Percent(row, row.Verdict.WorstBandPct),
                                 VerdictText(row)};
    for (int c = 0; c < 8; ++c)
      page.Text(kCols[c], y, cells[c], 9,
                c == 7 && row.Verdict.Judged && !row.Verdict.Pass ? kRed : kBlack);
    y += 0.026;
  }
  if (r.Pulses.empty()) page.Text(0.05, y, "No pulse was fired in this step.", 9);
  page.Text(0.05, 0.93, "Ended: " + r.Ended, 9);
}

}  // namespace

std::string OverallVerdict(const Program& p) {
  const auto& st = p.procedure;
  if (st.End != Ending::Completed) return EndingText(st.End);
  // PASS only when every full-level pulse was judged and passed.
  bool unjudged = false;
  for (const auto& r : st.Steps) {
    if (r.Failed > 0) return "FAIL";
    unjudged |= r.NotJudged > 0;
  }
  return unjudged ? "COMPLETED - NOT JUDGED" : "PASS";
}

std::vector<std::string> SummaryLines(const Program& p) {
  const auto& st = p.procedure;
  std::vector<std::string> out;
  out.push_back("Started: " + st.Started + "    Ended: " + st.Finished);
  out.push_back("Working folder: " + st.WorkFolder);
  out.push_back("Driver: " + st.Mode);
  std::string how = EndingText(st.End);
  if (!st.EndText.empty()) how += " - " + st.EndText;
  if (st.StepIndex < st.Proc.Steps.size() && st.End != Ending::Completed)
    how += " (step " + std::to_string(st.StepIndex + 1) + ": " + st.Proc.Steps[st.StepIndex].Name +
           ")";
  for (char& c : how)
    if (c == '\r' || c == '\n') c = ' ';
  out.push_back("How it ended: " + how);
  out.push_back("");
  for (std::size_t i = 0; i < st.Proc.Steps.size(); ++i) {
    const Step& s = st.Proc.Steps[i];
    const StepResult& r = st.Steps[i];
    std::string line = std::to_string(i + 1) + ". " + s.Name + ": ";
    if (!r.Ran) {
      line += "not run";
    } else if (!s.Pause.empty()) {
      line += "pause - " + (r.Ended.empty() ? std::string("stopped") : r.Ended);
    } else {
      line += FileName(s.Profile) + ", " + Fixed(s.LevelPct, 0) + " %, pulses " +
              std::to_string(r.Fired) + " of " + std::to_string(s.PulsesToFire) + ", PASS " +
              std::to_string(r.Passed) + ", FAIL " + std::to_string(r.Failed) + ", NOT JUDGED " +
              std::to_string(r.NotJudged);
      if (r.SystemGain > 0)
        line += ", system gain " + Fixed(r.SystemGain, 2) + " G/V" +
                (r.Equalized ? " (equalised)" : "");
      if (!r.Ended.empty()) line += ", " + r.Ended;
    }
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    out.push_back(line);
  }
  return out;
}

void WriteReport(Program& p) {
  auto& st = p.procedure;
  ui::Printer* pr = st.Pdf.get();
  if (!pr) {
    st.ReportError = "no PDF writer";
    return;
  }
  SummaryPage(p, *pr);
  for (std::size_t i = 0; i < st.Steps.size(); ++i) {
    const StepResult& r = st.Steps[i];
    if (!r.Ran || !st.Proc.Steps[i].Pause.empty()) continue;
    if (!r.Page.Empty()) {
      pr->NewPage();
      r.Page.PlayInto(*pr);
    }
    std::size_t first = 0;
    do {
      pr->NewPage();
      TablePage(p, *pr, i, first);
      first += kTableRows;
    } while (first < r.Pulses.size());
  }
  st.ReportWritten = pr->EndDoc();
  if (!st.ReportWritten) {
    st.ReportError = "the report " + st.Proc.Report + " could not be written";
    p.platform.MessageBox(st.ReportError, ui::Buttons::OK, ui::Icon::Exclamation,
                          "KRX-8 Procedure");
  }
}

}  // namespace procedure
