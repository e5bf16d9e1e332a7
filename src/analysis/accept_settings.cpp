#include "analysis/accept_settings.h"

#include <cmath>
#include <iterator>
#include <vector>

#include "analysis/accept_program.h"
#include "common/number_text.h"

namespace analysis {

namespace row = profile::row;

namespace {

constexpr const char* kBoundsTitle = " Out Of Bounds";
constexpr const char* kNote =
    "Enter the figures of the test standard in use. The figures proposed for a new profile "
    "are this program's own starting values, not those of any standard. Percentages of "
    "the peak and the band are of the nominal peak; the band window is in nominal pulse "
    "durations. The edge allowance leaves that % of the duration either side of the "
    "reference's jumps (a sawtooth's fall or rise) out of the band; take it from the standard "
    "too, 0 where it has none.";

struct NumberField {
  int Row;
  const char* Caption;
  double Low, High;
  const char* Range;  // as the refusal names it
};

constexpr NumberField kNumbers[] = {
    {row::TolPeakPct, "Peak tolerance (+/- %)", 0.1, 100, ".1 and 100 %"},
    {row::TolWidthPct, "Width tolerance (+/- %)", 0.1, 100, ".1 and 100 %"},
    {row::TolVelocityPct, "Velocity change tolerance (+/- %)", 0.1, 100, ".1 and 100 %"},
    {row::TolBandInsidePct, "Band inside the pulse (+/- % of peak)", 0.1, 100, ".1 and 100 %"},
    {row::TolBandOutsidePct, "Band outside the pulse (+/- % of peak)", 0.1, 100, ".1 and 100 %"},
    {row::TolWindowBefore, "Band window before the pulse (durations)", 0.1, 4,
     ".1 and 4 durations"},
    {row::TolWindowAfter, "Band window after the pulse (durations)", 0.1, 10,
     ".1 and 10 durations"},
    {row::TolEdgePct, "Edge allowance at the reference's jumps (+/- % of duration)", 0, 50,
     "0 and 50 %"},
};
constexpr int kNumberCount = static_cast<int>(std::size(kNumbers));

std::string Plain(double v) {
  std::string s = common::PromptDefaultText(static_cast<float>(v));
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

std::vector<ui::FormField> FieldsInForce(const Program& p) {
  const Tolerances t = TolerancesOf(p);
  const double values[kNumberCount] = {t.PeakPct,       t.WidthPct,       t.VelocityPct,
                                       t.BandInsidePct, t.BandOutsidePct, t.WindowBefore,
                                       t.WindowAfter,   t.EdgePct};
  std::vector<ui::FormField> f;
  f.push_back({"Judge every full-level pulse", true, AcceptanceOn(p), ""});
  for (int i = 0; i < kNumberCount; ++i)
    f.push_back({kNumbers[i].Caption, false, false, Plain(values[i])});
  f.push_back({"Stop the run on a FAIL", true, StopOnFail(p), ""});
  return f;
}

// The message for the first number outside its range; "" when all are in.
std::string FirstRefusal(const std::vector<ui::FormField>& f, double (&values)[kNumberCount]) {
  for (int i = 0; i < kNumberCount; ++i) {
    const auto& n = kNumbers[i];
    double v;
    if (common::ParseNumber(f[i + 1].Text, v) && v >= n.Low && v <= n.High) {
      values[i] = v;
      continue;
    }
    return " " + std::string(n.Caption) + ": the Number must be between " + n.Range + ".";
  }
  return "";
}

}  // namespace

std::string ToleranceOutOfBounds(const Program& p) {
  for (const auto& n : kNumbers) {
    const float v = p.Row(n.Row);
    // As TolerancesOf reads them: 0 or no number is the default.
    if (v == 0 || !std::isfinite(v) || (v >= n.Low && v <= n.High)) continue;
    return std::string(n.Caption) + " is " + Plain(v) + "; the Number must be between " + n.Range;
  }
  return "";
}

bool AskTolerances(Program& p) {
  std::vector<ui::FormField> f = FieldsInForce(p);
  double values[kNumberCount];
  for (;;) {
    if (!p.platform.FormDialog(kToleranceTitle, kNote, f)) return false;
    if (f.size() != kNumberCount + 2) return false;  // a platform that lost fields stores nothing
    const std::string refusal = FirstRefusal(f, values);
    if (refusal.empty()) break;
    p.platform.MessageBox(refusal, ui::Buttons::OK, ui::Icon::None, kBoundsTitle);
  }
  p.Row(row::AcceptOn) = f.front().Checked ? 1.0f : 0.0f;
  for (int i = 0; i < kNumberCount; ++i) p.Row(kNumbers[i].Row) = static_cast<float>(values[i]);
  p.Row(row::TolStopOnFail) = f.back().Checked ? 1.0f : 0.0f;
  ShowVerdict(p);
  return true;
}

}  // namespace analysis
