#include "procedure/report.h"

#include <cstdio>
#include <ctime>
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

std::string VerdictText(const StepPulse& r) {
  return r.Pretest ? "pre-test" : r.Verdict.Text;
}

std::string Percent(const StepPulse& r, double v) {
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

// `text` cut into lines no wider than `width` page units at the font in use; a word too
// long for a line (a path) is cut where it must be.
std::vector<std::string> Wrapped(const ui::Printer& pr, const std::string& text, double width) {
  std::vector<std::string> out;
  std::string line;
  auto fits = [&](const std::string& t) { return pr.TextWidth(t) <= width; };
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find(' ', i);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(i, end - i);
    i = end + 1;
    std::string joined = line.empty() ? word : line + " " + word;
    if (fits(joined)) {
      line = std::move(joined);
      continue;
    }
    if (!line.empty()) out.push_back(line);
    line.clear();
    while (!word.empty() && !fits(word)) {
      std::size_t n = word.size() - 1;
      while (n > 1 && !fits(word.substr(0, n))) --n;
      out.push_back(word.substr(0, n));
      word.erase(0, n);
    }
    line = std::move(word);
  }
  if (!line.empty() || out.empty()) out.push_back(line);
  return out;
}

constexpr double kLeft = 0.05, kTextWidth = 0.9;  // of the page width
constexpr double kLineStep = 0.032, kWrapStep = 0.027, kIndent = 0.02;

// The summary, on as many pages as its lines take; the verdict stays on the first.
void SummaryPages(const Program& p, ui::Printer& pr) {
  const auto& st = p.procedure;
  const double width = kTextWidth * pr.PageWidth();
  Page page(pr);
  page.Frame();
  pr.SetFontSize(16);
  double y = 0.05;
  for (const auto& l : Wrapped(pr, st.Proc.Title, width)) {
    page.Text(kLeft, y, l, 16);
    y += 0.045;
    if (y > 0.14) break;  // a title of many lines is cut, the lines below need the room
  }
  page.Text(kLeft, y + 0.005, "PROCEDURE REPORT - " + FileName(st.Proc.Path), 10);
  y += 0.05;
  const std::string verdict = OverallVerdict(p);
  page.Text(kLeft, 0.84, verdict, verdict.size() > 12 ? 28 : 36,
            verdict == analysis::kPassText ? kBlack : kRed);
  double bottom = 0.8;
  int sheet = 1;
  pr.SetFontSize(9);
  for (const auto& l : SummaryLines(p)) {
    const auto parts = Wrapped(pr, l, width - kIndent * pr.PageWidth());
    // A wrapped line stays on one page.
    if (y + kWrapStep * static_cast<double>(parts.size() - 1) > bottom) {
      pr.NewPage();
      page.Frame();
      pr.SetFontSize(10);
      const std::string head =
          "Summary, continued (page " + std::to_string(++sheet) + ") - " + st.Proc.Title;
      page.Text(kLeft, 0.05, Wrapped(pr, head, width).front(), 10);
      pr.SetFontSize(9);
      y = 0.1;
      bottom = 0.93;
    }
    for (std::size_t k = 0; k < parts.size(); ++k) {
      // A wrapped line goes on indented.
      page.Text(k == 0 ? kLeft : kLeft + kIndent, y, parts[k], 9);
      y += k + 1 < parts.size() ? kWrapStep : kLineStep;
    }
  }
}

void TablePage(const Program& p, ui::Printer& pr, std::size_t step, std::size_t first) {
  Page page(pr);
  page.Frame();
  const auto& st = p.procedure;
  const Step& s = st.Proc.Steps[step];
  const StepResult& r = st.Steps[step];
  pr.SetFontSize(12);
  const auto head =
      Wrapped(pr, "Step " + std::to_string(step + 1) + ": " + s.Name + " - " + FileName(s.Profile),
              kTextWidth * pr.PageWidth());
  for (std::size_t k = 0; k < head.size() && k < 2; ++k)
    page.Text(kLeft, 0.05 + 0.03 * static_cast<double>(k), head[k], 12);
  static constexpr double kCols[] = {0.05, 0.14, 0.24, 0.35, 0.44, 0.53, 0.63, 0.74, 0.86};
  static constexpr const char* kHeads[] = {"Time",         "Level G",          "Control peak G",
                                           "Peak %",       "Width %",          "Vel. ch. %",
                                           "Worst band %", "Waveform error %", "Verdict"};
  constexpr int kVerdictCol = 8;
  for (int c = 0; c <= kVerdictCol; ++c) page.Text(kCols[c], 0.11, kHeads[c], 9);
  page.Rule(0.14);
  double y = 0.155;
  for (std::size_t i = first; i < r.Pulses.size() && i < first + kTableRows; ++i) {
    const StepPulse& row = r.Pulses[i];
    const std::string cells[] = {row.Time,
                                 Fixed(row.LevelG, 2),
                                 Fixed(row.ControlPeakG, 2),
                                 Percent(row, row.Verdict.PeakPct),
                                 Percent(row, row.Verdict.WidthPct),
                                 Percent(row, row.Verdict.VelocityPct),
                                 Percent(row, row.Verdict.WorstBandPct),
                                 row.Shaped ? Fixed(row.ErrorPct, 1) : "-",
                                 VerdictText(row)};
    for (int c = 0; c <= kVerdictCol; ++c)
      page.Text(kCols[c], y, cells[c], 9,
                c == kVerdictCol && row.Verdict.Judged && !row.Verdict.Pass ? kRed : kBlack);
    y += 0.026;
  }
  if (r.Pulses.empty()) page.Text(0.05, y, "No pulse was fired in this step.", 9);
  page.Text(0.05, 0.93, "Ended: " + r.Ended + "    Times: " + st.Zone, 9);
}

}  // namespace

std::string LocalZoneText(std::time_t at) {
  std::tm tm{};
  char buf[16] = {};
  if (!localtime_r(&at, &tm) || std::strftime(buf, sizeof buf, "%z", &tm) != 5) return "local time";
  // "+0100" becomes "UTC+01:00".
  return std::string("local time, UTC") + std::string(buf, 3) + ":" + std::string(buf + 3, 2);
}

std::string OverallVerdict(const Program& p) {
  const auto& st = p.procedure;
  if (st.End != Ending::Completed) return EndingText(st.End);
  // PASS only when every full-level pulse was judged and passed.
  bool unjudged = false;
  for (const auto& r : st.Steps) {
    if (r.Failed > 0) return analysis::kFailText;
    unjudged |= r.NotJudged > 0;
  }
  return unjudged ? analysis::kCompletedNotJudgedText : analysis::kPassText;
}

std::vector<std::string> SummaryLines(const Program& p) {
  const auto& st = p.procedure;
  std::vector<std::string> out;
  out.push_back("Started: " + st.Started + "    Ended: " + st.Finished + "    (" + st.Zone + ")");
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
      // The last full-level pulse tells whether the step ended on a shaped drive.
      for (auto it = r.Pulses.rbegin(); it != r.Pulses.rend(); ++it) {
        if (it->Pretest) continue;
        if (it->Shaped) line += ", drive shaped, waveform error " + Fixed(it->ErrorPct, 1) + " %";
        break;
      }
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
  SummaryPages(p, *pr);
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
