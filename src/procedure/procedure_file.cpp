#include "procedure/procedure_file.h"

#include <toml++/toml.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "analysis/accept_program.h"
#include "analysis/accept_settings.h"
#include "control/fire_limits.h"
#include "control/trips.h"
#include "display/plot.h"
#include "profile/bounds.h"
#include "profile/kinematics.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "profile/waveshape_file.h"
#include "program/program.h"
#include "shaping/settings.h"
#include "ui/headless_platform.h"

namespace procedure {

namespace fs = std::filesystem;
namespace row = profile::row;

namespace {

// The bounds of the operator's prompts, so that no file can ask for more.
constexpr const profile::SettingBounds& kAmplitude = profile::BoundsOf(row::PulseAmplitude);
constexpr const profile::SettingBounds& kPulses = profile::BoundsOf(row::TotalPulses);
constexpr const profile::SettingBounds& kPeriod = profile::BoundsOf(row::RepetitionRate);

class Checker {
 public:
  explicit Checker(const std::string& path) : path_(path) {}

  void Error(const toml::source_region& at, const std::string& key, const std::string& what) {
    Error(static_cast<int>(at.begin.line), key, what);
  }
  void Error(int line, const std::string& key, const std::string& what) {
    errors_.emplace_back(line, Text(line, key, what));
  }
  void Warning(int line, const std::string& key, const std::string& what) {
    warnings_.emplace_back(line, Text(line, key, what));
  }
  bool Clean() const { return errors_.empty(); }
  // The errors and warnings in the order of their lines.
  void Into(std::vector<std::string>& errors, std::vector<std::string>& warnings) {
    Sorted(errors_, errors);
    Sorted(warnings_, warnings);
  }

  bool String(const toml::node& n, const std::string& key, std::string& out) {
    if (auto s = n.value<std::string>(); s && n.is_string()) {
      out = *s;
      return true;
    }
    Error(n.source(), key, "must be a text in double quotes");
    return false;
  }
  bool Bool(const toml::node& n, const std::string& key, bool& out) {
    if (n.is_boolean()) {
      out = *n.value<bool>();
      return true;
    }
    Error(n.source(), key, "must be true or false");
    return false;
  }
  bool Number(const toml::node& n, const std::string& key, double low, double high, double& out) {
    std::optional<double> v;
    if (n.is_integer() || n.is_floating_point()) v = n.value<double>();
    if (!v || !std::isfinite(*v)) {
      Error(n.source(), key, "must be a number");
      return false;
    }
    if (*v < low || *v > high) {
      std::ostringstream s;
      s << "must be between " << low << " and " << high;
      Error(n.source(), key, s.str());
      return false;
    }
    out = *v;
    return true;
  }
  bool Integer(const toml::node& n, const std::string& key, int low, int high, int& out) {
    if (!n.is_integer()) {
      Error(n.source(), key, "must be a whole number");
      return false;
    }
    const int64_t v = *n.value<int64_t>();
    if (v < low || v > high) {
      Error(n.source(), key,
            "must be between " + std::to_string(low) + " and " + std::to_string(high));
      return false;
    }
    out = static_cast<int>(v);
    return true;
  }

 private:
  using Lines = std::vector<std::pair<int, std::string>>;
  std::string Text(int line, const std::string& key, const std::string& what) const {
    return path_ + ":" + std::to_string(line) + ": " + key + ": " + what;
  }
  static void Sorted(Lines& from, std::vector<std::string>& to) {
    std::stable_sort(from.begin(), from.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    to.clear();
    for (auto& l : from) to.push_back(std::move(l.second));
  }
  const std::string& path_;
  Lines errors_, warnings_;
};

// A name as an error line shows it: a path of thousands of characters is cut.
std::string Shown(const std::string& name) {
  constexpr std::size_t kMax = 160;
  return name.size() <= kMax ? name : name.substr(0, kMax) + "...";
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string Resolve(const std::string& folder, const std::string& name) {
  try {
    fs::path p(name);
    if (p.is_relative() && !folder.empty()) p = fs::path(folder) / p;
    return p.lexically_normal().string();
  } catch (const std::exception&) {
    return name;  // no path the system could hold either: the file checks refuse it
  }
}

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return !f.bad();
}

// The step's profile read over the built-in defaults into a program of its own, without a
// box and in demo mode: nothing is driven and no board is opened.
struct StepProgram {
  ui::HeadlessPlatform Pf;
  std::unique_ptr<Program> P = std::make_unique<Program>(Pf);
};

bool ReadStepProfile(const std::string& path, StepProgram& sp, std::string& why) {
  if (!IsRegularFile(path)) {
    why = "no such profile file: " + Shown(path);
    return false;
  }
  Program& p = *sp.P;
  p.daq.DemoMode = 1.0f;
  profile::SetProfileDefaults(p);
  profile::FieldSource src(sp.Pf, profile::ErrorCaption::Plain);
  if (!src.Open(path) || !profile::ReadProfileFields(src, p.profile.Record)) {
    why = "cannot read profile " + Shown(path) + ": " + sp.Pf.Error();
    return false;
  }
  return true;
}

const char* ShapeName(float code) {
  static constexpr const char* kNames[] = {"Half-Sine",      "T. P. Sawtooth", "I. P. Sawtooth",
                                           "Triangle",       "Trapezoid",      "Quarter-Sine",
                                           "Parabolic Cusp", "Sine Burst",     "Custom Shape"};
  const int c = static_cast<int>(code);
  return c >= 1 && c <= 9 && c == code ? kNames[c - 1] : "unknown shape";
}

const char* LimitName(profile::ExceededLimit l) {
  switch (l) {
    case profile::ExceededLimit::Displacement:
      return "displacement";
    case profile::ExceededLimit::Velocity:
      return "velocity";
    default:
      return "acceleration";
  }
}

// The step as it will be fired: the overrides on the profile, the reference synthesised at
// the full level and put through the pre-fire limit check.
StepPlan PlanOf(Program& p, const Step& s, profile::ExceededLimit& exceeded) {
  ApplyStepOverrides(p, s);
  profile::SynthesizePulse(p);
  p.plot.TestLevelG = display::CurrentTestLevelG(p);
  p.run.LevelFactor = 1.0f;
  StepPlan plan;
  plan.Shape = ShapeName(p.Row(row::PulseShape));
  plan.DurationMs = p.Row(row::PulseDuration);
  plan.Negative = p.Row(row::Polarity) == 2;
  plan.LevelG = static_cast<float>(control::FiringLevelG(p));
  plan.PretestDb = p.Row(row::PretestLevelDb);
  plan.Judged = analysis::AcceptanceOn(p);
  plan.Shaped = shaping::SettingsOf(p.profile.Record).On;
  plan.UnitSystem = p.Row(row::UnitSystem);
  profile::ReferencePeaks inUnits;
  if (profile::PeaksInLimitUnits(plan.UnitSystem, profile::ReferencePeaksAt(p, plan.LevelG),
                                 inUnits)) {
    plan.PeakA = inUnits.A;
    plan.PeakV = inUnits.V;
    plan.PeakD = inUnits.D;
  }
  plan.LimitA = p.Row(row::LimitA);
  plan.LimitV = p.Row(row::LimitV);
  plan.LimitD = p.Row(row::LimitD);
  // The guard every pulse meets, on this step's own program: a refusal names the limit.
  exceeded = profile::ExceededLimit::None;
  if (!control::PulseWithinLimits(p))
    exceeded = p.control.TripCode == control::trip::LimitD   ? profile::ExceededLimit::Displacement
               : p.control.TripCode == control::trip::LimitV ? profile::ExceededLimit::Velocity
                                                             : profile::ExceededLimit::Acceleration;
  return plan;
}

bool WaveshapeReadable(const std::string& path, std::string& why) {
  std::string content;
  if (!IsRegularFile(path) || !ReadWhole(path, content)) {
    why = "cannot read waveshape file: " + Shown(path);
    return false;
  }
  ui::HeadlessPlatform pf;
  std::array<float, profile::kCustomSamples> shape{};
  if (!profile::ReadCustomShapeText(pf, std::move(content), shape)) {
    why = "cannot read waveshape " + Shown(path) + ": " + pf.Error();
    return false;
  }
  return true;
}

int LineOf(const toml::node& n) {
  return static_cast<int>(n.source().begin.line);
}

void CheckStep(Checker& c, const toml::table& t, const std::string& folder, int number, Step& s) {
  const std::string prefix = "step " + std::to_string(number) + " ";
  bool isPause = t.contains("pause");
  bool ok = true;
  const toml::node* levelNode = nullptr;
  int stopOnFailLine = 0;
  for (const auto& [k, v] : t) {
    const std::string key(k.str());
    const std::string name = prefix + key;
    if (key == "name") {
      ok &= c.String(v, name, s.Name);
    } else if (key == "pause") {
      ok &= c.String(v, name, s.Pause);
      if (ok && s.Pause.empty()) {
        c.Error(v.source(), name, "must not be empty");
        ok = false;
      }
    } else if (isPause) {
      c.Error(k.source(), name, "a pause step takes only a name and its text");
      ok = false;
    } else if (key == "profile") {
      ok &= c.String(v, name, s.Profile);
    } else if (key == "waveshape") {
      ok &= c.String(v, name, s.Waveshape);
    } else if (key == "polarity") {
      std::string text;
      if (c.String(v, name, text)) {
        if (text == "positive") {
          s.Polar = Polarity::Positive;
        } else if (text == "negative") {
          s.Polar = Polarity::Negative;
        } else {
          c.Error(v.source(), name, "must be \"positive\" or \"negative\"");
          ok = false;
        }
      } else {
        ok = false;
      }
    } else if (key == "level") {
      levelNode = &v;
      ok &= c.Number(v, name, 1, 400, s.LevelPct);
    } else if (key == "pulses") {
      int n = 0;
      if (c.Integer(v, name, static_cast<int>(kPulses.Low), static_cast<int>(kPulses.High), n))
        s.Pulses = n;
      else
        ok = false;
    } else if (key == "period") {
      double d = 0;
      if (c.Number(v, name, kPeriod.Low, kPeriod.High, d))
        s.Period = d;
      else
        ok = false;
    } else if (key == "pretest") {
      ok &= c.Bool(v, name, s.Pretest);
    } else if (key == "pretest_pulses") {
      ok &= c.Integer(v, name, 0, kMaxPretestPulses, s.PretestPulses);
    } else if (key == "waveform_control") {
      bool on = false;
      if (c.Bool(v, name, on))
        s.WaveformControl = on;
      else
        ok = false;
    } else if (key == "equalize") {
      std::string text;
      if (c.String(v, name, text)) {
        if (text == "auto") {
          s.Equalize = EqualizeWhen::Auto;
        } else if (text == "always") {
          s.Equalize = EqualizeWhen::Always;
        } else if (text == "never") {
          s.Equalize = EqualizeWhen::Never;
        } else {
          c.Error(v.source(), name, "must be \"auto\", \"always\" or \"never\"");
          ok = false;
        }
      } else {
        ok = false;
      }
    } else if (key == "stop_on_fail") {
      ok &= c.Bool(v, name, s.StopOnFail);
      stopOnFailLine = LineOf(v);
    } else {
      c.Error(k.source(), name, "unknown key");
      ok = false;
    }
  }
  if (s.Name.empty()) s.Name = "Step " + std::to_string(number);
  if (isPause || !ok) return;
  if (s.Profile.empty()) {
    c.Error(LineOf(t), prefix + "profile", "missing: every step names a profile or is a pause");
    return;
  }
  const int profileLine = LineOf(*t.get("profile"));
  const int levelLine = levelNode ? LineOf(*levelNode) : profileLine;
  s.Profile = Resolve(folder, s.Profile);
  std::string why;
  auto sp = std::make_unique<StepProgram>();
  if (!ReadStepProfile(s.Profile, *sp, why)) {
    c.Error(profileLine, prefix + "profile", why);
    return;
  }
  Program& p = *sp->P;
  bool fireable = true;
  if (!s.Waveshape.empty()) {
    s.Waveshape = Resolve(folder, s.Waveshape);
    const int line = LineOf(*t.get("waveshape"));
    if (!WaveshapeReadable(s.Waveshape, why)) {
      c.Error(line, prefix + "waveshape", why);
      fireable = false;
    } else if (!profile::ReadCustomShape(p, s.Waveshape)) {
      c.Error(line, prefix + "waveshape", "cannot read waveshape " + Shown(s.Waveshape));
      fireable = false;
    }
  } else if (p.Row(row::PulseShape) == 9) {
    c.Error(profileLine, prefix + "waveshape",
            "missing: the profile has a custom shape, so the step names its waveshape file");
    fireable = false;
  }
  const double amplitude = p.Row(row::PulseAmplitude) * s.LevelPct / 100.0;
  if (!kAmplitude.Within(amplitude)) {
    std::ostringstream m;
    m << "gives a peak of " << amplitude << " G; the peak must be between " << kAmplitude.Low
      << " and " << kAmplitude.High << " G";
    c.Error(levelLine, prefix + "level", m.str());
    fireable = false;
  }
  const float pulses = p.Row(row::TotalPulses), period = p.Row(row::RepetitionRate);
  if (s.Pulses) {
    s.PulsesToFire = *s.Pulses;
  } else if (kPulses.Within(pulses)) {
    s.PulsesToFire = static_cast<int>(std::lround(pulses));
  } else {
    c.Error(profileLine, prefix + "pulses",
            "the profile's number of pulses is out of range; give pulses");
  }
  if (s.Period) {
    s.PeriodToUse = *s.Period;
  } else if (kPeriod.Within(period)) {
    s.PeriodToUse = period;
  } else {
    c.Error(profileLine, prefix + "period",
            "the profile's repetition rate is out of range; give period");
  }
  const std::string tolerance = analysis::ToleranceOutOfBounds(p);
  if (!tolerance.empty())
    c.Error(profileLine, prefix + "profile", "the profile's tolerance setting " + tolerance);
  if (!fireable) return;
  profile::ExceededLimit exceeded = profile::ExceededLimit::None;
  s.Plan = PlanOf(p, s, exceeded);
  if (exceeded != profile::ExceededLimit::None) {
    const StepPlan& pl = s.Plan;
    const float* peak = exceeded == profile::ExceededLimit::Displacement ? &pl.PeakD
                        : exceeded == profile::ExceededLimit::Velocity   ? &pl.PeakV
                                                                         : &pl.PeakA;
    const float* limit = exceeded == profile::ExceededLimit::Displacement ? &pl.LimitD
                         : exceeded == profile::ExceededLimit::Velocity   ? &pl.LimitV
                                                                          : &pl.LimitA;
    c.Error(levelLine, prefix + "level",
            "at " + Fixed(pl.LevelG, 2) + " G " + (pl.Negative ? "negative" : "positive") +
                " the reference's " + LimitName(exceeded) + " " + Fixed(*peak, 3) +
                " exceeds the system limit " + Fixed(*limit, 3) +
                " (in the profile's units): the pulse would not be fired");
  }
  if (stopOnFailLine > 0 && s.StopOnFail && !s.Plan.Judged)
    c.Warning(stopOnFailLine, prefix + "stop_on_fail",
              "the profile judges no pulse (its acceptance is off), so no FAIL can stop this "
              "step");
}

}  // namespace

namespace {

bool StartsWithPdf(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  char head[5] = {};
  return f.read(head, sizeof head) && std::string(head, sizeof head) == "%PDF-";
}

std::string FolderOf(const std::string& file) {
  try {
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() ? "." : folder.string();
  } catch (const std::exception&) {
    return ".";
  }
}

// The report can be written where it is named, and writes over nothing but an earlier
// report, which is kept.
void CheckReport(Checker& c, int line, const std::string& report) {
  std::error_code ec;
  const std::string folder = FolderOf(report);
  if (!fs::is_directory(folder, ec)) {
    c.Error(line, "report", "the folder " + Shown(folder) + " does not exist");
    return;
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    c.Error(line, "report", "the folder " + Shown(folder) + " cannot be written");
    return;
  }
  const auto st = fs::status(report, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) {
    c.Error(line, "report", Shown(report) + ": " + ec.message());
  } else if (fs::is_directory(st)) {
    c.Error(line, "report", Shown(report) + " is a folder");
  } else if (fs::exists(st) && !StartsWithPdf(report)) {
    c.Error(line, "report",
            Shown(report) + " exists and is not a report; name another file for the report");
  } else if (fs::exists(st) && KeptReportName(report).empty()) {
    c.Error(line, "report", "no free name to keep the earlier report " + Shown(report));
  }
}

}  // namespace

bool ParseProcedure(std::string_view text, const std::string& path, Procedure& out,
                    std::vector<std::string>& errors) {
  errors.clear();
  out = Procedure{};
  out.Path = path;
  out.Folder = FolderOf(path);
  if (out.Folder == ".") out.Folder.clear();
  Checker c(path);
  toml::table doc;
  try {
    doc = toml::parse(text, path);
  } catch (const toml::parse_error& e) {
    errors.push_back(path + ":" + std::to_string(e.source().begin.line) + ": " +
                     std::string(e.description()));
    return false;
  }
  const toml::array* steps = nullptr;
  int reportLine = 1;
  for (const auto& [k, v] : doc) {
    const std::string key(k.str());
    if (key == "title") {
      c.String(v, key, out.Title);
    } else if (key == "report") {
      reportLine = LineOf(v);
      if (c.String(v, key, out.Report) && out.Report.empty())
        c.Error(v.source(), key, "must not be empty");
    } else if (key == "step") {
      steps = v.as_array();
      if (!steps || !steps->is_array_of_tables()) {
        c.Error(v.source(), key, "must be a list of [[step]] tables");
        steps = nullptr;
      }
    } else {
      c.Error(k.source(), key, "unknown key");
    }
  }
  const auto done = [&] {
    c.Into(errors, out.Warnings);
    return errors.empty();
  };
  if (!steps || steps->empty()) {
    if (c.Clean()) c.Error(1, "step", "the procedure has no [[step]]");
    return done();
  }
  if (steps->size() > kMaxSteps) {
    c.Error(steps->source(), "step", "more than " + std::to_string(kMaxSteps) + " steps");
    return done();
  }
  int number = 0;
  bool anyPulses = false;
  for (const auto& node : *steps) {
    Step s;
    CheckStep(c, *node.as_table(), out.Folder, ++number, s);
    anyPulses |= s.Pause.empty();
    out.Steps.push_back(std::move(s));
  }
  if (!anyPulses && c.Clean()) c.Error(1, "step", "no step fires a pulse");
  std::string stem;
  try {
    stem = fs::path(path).stem().string();
  } catch (const std::exception&) {
  }
  if (out.Title.empty()) out.Title = stem;
  if (out.Report.empty()) {
    out.Report = Resolve(out.Folder, stem + ".pdf");
    if (!out.Report.empty()) CheckReport(c, reportLine, out.Report);
  } else {
    out.Report = Resolve(out.Folder, out.Report);
    CheckReport(c, reportLine, out.Report);
  }
  return done();
}

bool LoadProcedure(const std::string& path, Procedure& out, std::vector<std::string>& errors) {
  std::string text;
  if (!IsRegularFile(path) || !ReadWhole(path, text)) {
    errors.assign(1, Shown(path) + ": cannot read the procedure file");
    return false;
  }
  return ParseProcedure(text, path, out, errors);
}

void ApplyStepOverrides(Program& p, const Step& s) {
  // The same bounds as the prompts, again: the profile may have changed since the check.
  const double amplitude = p.Row(row::PulseAmplitude) * s.LevelPct / 100.0;
  p.Row(row::PulseAmplitude) = static_cast<float>(kAmplitude.Clamp(amplitude));
  if (s.Polar != Polarity::Profile)
    p.Row(row::Polarity) = s.Polar == Polarity::Negative ? 2.0f : 1.0f;
  if (s.WaveformControl) {
    shaping::Settings w = shaping::SettingsOf(p.profile.Record);
    w.On = *s.WaveformControl;
    shaping::StoreSettings(w, p.profile.Record);
  }
  // The runner makes the FAIL stop itself; a step that goes on after a FAIL must not be
  // stopped by the profile's own setting.
  // The acceptance stops the run itself on a FAIL, as its own setting would.
  p.Row(row::TolStopOnFail) = s.StopOnFail ? 1.0f : 0.0f;
  p.Row(row::RepetitionMode) = 2;
  p.Row(row::TotalPulses) = static_cast<float>(kPulses.Clamp(s.PulsesToFire));
  p.Row(row::RepetitionRate) = static_cast<float>(kPeriod.Clamp(s.PeriodToUse));
}

std::string KeptReportName(const std::string& report) {
  try {
    const fs::path r(report);
    const std::string base = (r.parent_path() / r.stem()).string();
    const std::string ext = r.has_extension() ? r.extension().string() : ".pdf";
    for (int n = 1; n <= 9999; ++n) {
      const std::string name = base + "." + std::to_string(n) + ext;
      std::error_code ec;
      if (fs::symlink_status(name, ec).type() == fs::file_type::not_found) return name;
    }
  } catch (const std::exception&) {
  }
  return "";
}

bool KeepEarlierReport(const std::string& report, std::string& why) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(report, ec))) return true;
  const std::string kept = KeptReportName(report);
  if (kept.empty()) {
    why = "no free name to keep the earlier report " + Shown(report);
    return false;
  }
  fs::rename(report, kept, ec);
  if (ec) {
    why = "the earlier report " + Shown(report) + " could not be kept as " + Shown(kept) + ": " +
          ec.message();
    return false;
  }
  return true;
}

}  // namespace procedure
