#include "procedure/plan.h"

#include <cstdio>
#include <filesystem>

#include "procedure/runner.h"

namespace procedure {

namespace {

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string FileName(const std::string& path) {
  try {
    return std::filesystem::path(path).filename().string();
  } catch (const std::exception&) {
    return path;
  }
}

struct Units {
  const char *A, *V, *D;
};

// The units the system limits are held in: English, Metric, Hybrid.
Units UnitsOf(float system) {
  if (system == 1) return {"m/s^2", "cm/s", "mm p-p"};
  if (system == 2) return {"G", "cm/s", "mm p-p"};
  return {"G", "in/s", "mils p-p"};
}

const char* EqualizeText(EqualizeWhen e) {
  switch (e) {
    case EqualizeWhen::Always:
      return "always";
    case EqualizeWhen::Never:
      return "never";
    default:
      return "auto";
  }
}

std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

std::string PlanLine(const Step& s, std::size_t number) {
  std::string line = std::to_string(number) + ". " + s.Name + ": ";
  if (!s.Pause.empty()) return OneLine(line + "pause - " + s.Pause);
  const StepPlan& p = s.Plan;
  const Units u = UnitsOf(p.UnitSystem);
  line += FileName(s.Profile) + ", " + p.Shape + " " + Fixed(p.DurationMs, 1) + " ms, " +
          (p.Negative ? "negative" : "positive") + ", " + Fixed(s.LevelPct, 0) +
          " % = " + Fixed(p.LevelG, 2) + " G, " + std::to_string(s.PulsesToFire) +
          (s.PulsesToFire == 1 ? " pulse" : " pulses") + " every " + Fixed(s.PeriodToUse, 1) +
          " s, pre-test " + (s.Pretest ? "-" + Fixed(p.PretestDb, 1) + " dB" : "off") +
          (s.Pretest && s.PretestPulses != 1 ? " x " + std::to_string(s.PretestPulses) : "") +
          ", equalise " + EqualizeText(s.Equalize) + (p.Judged ? ", judged" : ", not judged") +
          (p.Shaped ? ", waveform control" : "") + "; A " + Fixed(p.PeakA, 2) + " of " +
          Fixed(p.LimitA, 2) + " " + u.A + ", V " + Fixed(p.PeakV, 2) + " of " +
          Fixed(p.LimitV, 2) + " " + u.V + ", D " + Fixed(p.PeakD, 2) + " of " +
          Fixed(p.LimitD, 2) + " " + u.D;
  return OneLine(line);
}

std::vector<std::string> PlanLines(const Procedure& proc) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < proc.Steps.size(); ++i) out.push_back(PlanLine(proc.Steps[i], i + 1));
  return out;
}

int RunCheck(const std::string& file, std::ostream& out, std::ostream& err) {
  Procedure proc;
  std::vector<std::string> errors;
  const bool accepted = LoadProcedure(file, proc, errors);
  for (const auto& w : proc.Warnings) err << "krx8: warning: " << OneLine(w) << '\n';
  if (!accepted) {
    for (const auto& e : errors) err << "krx8: " << OneLine(e) << '\n';
    err << "krx8: the procedure would be refused" << std::endl;
    return kRefusedExitStatus;
  }
  out << "Procedure \"" << OneLine(proc.Title) << "\", " << proc.Steps.size() << " steps, report "
      << proc.Report;
  std::error_code ec;
  if (std::filesystem::exists(proc.Report, ec))
    out << " (the earlier report is kept as " << KeptReportName(proc.Report) << ")";
  out << '\n';
  for (const auto& l : PlanLines(proc)) out << l << '\n';
  out.flush();
  return out ? 0 : kRefusedExitStatus;
}

}  // namespace procedure
