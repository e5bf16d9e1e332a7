#include "procedure/procedure_file.h"

#include <toml++/toml.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "program/program.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/waveshape_file.h"
#include "ui/headless_platform.h"

namespace procedure {

namespace fs = std::filesystem;
namespace row = profile::row;

namespace {

class Checker {
 public:
  Checker(const std::string& path, std::vector<std::string>& errors)
      : path_(path), errors_(errors) {}

  void Error(const toml::source_region& at, const std::string& key, const std::string& what) {
    errors_.push_back(path_ + ":" + std::to_string(at.begin.line) + ": " + key + ": " + what);
  }
  void Error(int line, const std::string& key, const std::string& what) {
    errors_.push_back(path_ + ":" + std::to_string(line) + ": " + key + ": " + what);
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
  const std::string& path_;
  std::vector<std::string>& errors_;
};

std::string Resolve(const std::string& folder, const std::string& name) {
  fs::path p(name);
  if (p.is_relative() && !folder.empty()) p = fs::path(folder) / p;
  return p.lexically_normal().string();
}

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return !f.bad();
}

// What a step needs of its profile, read over the built-in defaults without a box.
struct ProfileFacts {
  float Amplitude = 0, Pulses = 0, Period = 0, Shape = 0;
};

bool ReadProfileFacts(const std::string& path, ProfileFacts& facts, std::string& why) {
  if (!fs::is_regular_file(path)) {
    why = "no such profile file: " + path;
    return false;
  }
  ui::HeadlessPlatform pf;
  auto prog = std::make_unique<Program>(pf);
  profile::SetProfileDefaults(*prog);
  profile::FieldSource src(pf, profile::ErrorCaption::Plain);
  if (!src.Open(path) || !profile::ReadProfileFields(src, prog->profile.Record)) {
    why = "cannot read profile " + path + ": " + pf.Error();
    return false;
  }
  facts.Amplitude = prog->Row(row::PulseAmplitude);
  facts.Pulses = prog->Row(row::TotalPulses);
  facts.Period = prog->Row(row::RepetitionRate);
  facts.Shape = prog->Row(row::PulseShape);
  return true;
}

bool WaveshapeReadable(const std::string& path, std::string& why) {
  std::string content;
  if (!fs::is_regular_file(path) || !ReadWhole(path, content)) {
    why = "cannot read waveshape file: " + path;
    return false;
  }
  ui::HeadlessPlatform pf;
  std::array<float, profile::kCustomSamples> shape{};
  if (!profile::ReadCustomShapeText(pf, std::move(content), shape)) {
    why = "cannot read waveshape " + path + ": " + pf.Error();
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
      if (c.Integer(v, name, kMinPulses, kMaxPulses, n))
        s.Pulses = n;
      else
        ok = false;
    } else if (key == "period") {
      double d = 0;
      if (c.Number(v, name, kMinPeriodS, kMaxPeriodS, d))
        s.Period = d;
      else
        ok = false;
    } else if (key == "pretest") {
      ok &= c.Bool(v, name, s.Pretest);
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
  s.Profile = Resolve(folder, s.Profile);
  std::string why;
  ProfileFacts facts;
  if (!ReadProfileFacts(s.Profile, facts, why)) {
    c.Error(profileLine, prefix + "profile", why);
    return;
  }
  if (!s.Waveshape.empty()) {
    s.Waveshape = Resolve(folder, s.Waveshape);
    if (!WaveshapeReadable(s.Waveshape, why))
      c.Error(LineOf(*t.get("waveshape")), prefix + "waveshape", why);
  } else if (facts.Shape == 9) {
    c.Error(profileLine, prefix + "waveshape",
            "missing: the profile has a custom shape, so the step names its waveshape file");
  }
  const double amplitude = facts.Amplitude * s.LevelPct / 100.0;
  if (!(amplitude >= kMinAmplitudeG && amplitude <= kMaxAmplitudeG)) {
    std::ostringstream m;
    m << "gives a peak of " << amplitude << " G; the peak must be between " << kMinAmplitudeG
      << " and " << kMaxAmplitudeG << " G";
    c.Error(levelNode ? LineOf(*levelNode) : profileLine, prefix + "level", m.str());
  }
  if (s.Pulses) {
    s.PulsesToFire = *s.Pulses;
  } else if (facts.Pulses >= kMinPulses && facts.Pulses <= kMaxPulses) {
    s.PulsesToFire = static_cast<int>(std::lround(facts.Pulses));
  } else {
    c.Error(profileLine, prefix + "pulses",
            "the profile's number of pulses is out of range; give pulses");
  }
  if (s.Period) {
    s.PeriodToUse = *s.Period;
  } else if (facts.Period >= kMinPeriodS && facts.Period <= kMaxPeriodS) {
    s.PeriodToUse = facts.Period;
  } else {
    c.Error(profileLine, prefix + "period",
            "the profile's repetition rate is out of range; give period");
  }
}

}  // namespace

bool ParseProcedure(std::string_view text, const std::string& path, Procedure& out,
                    std::vector<std::string>& errors) {
  errors.clear();
  out = Procedure{};
  out.Path = path;
  out.Folder = fs::path(path).parent_path().string();
  Checker c(path, errors);
  toml::table doc;
  try {
    doc = toml::parse(text, path);
  } catch (const toml::parse_error& e) {
    errors.push_back(path + ":" + std::to_string(e.source().begin.line) + ": " +
                     std::string(e.description()));
    return false;
  }
  const toml::array* steps = nullptr;
  for (const auto& [k, v] : doc) {
    const std::string key(k.str());
    if (key == "title") {
      c.String(v, key, out.Title);
    } else if (key == "report") {
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
  if (!steps || steps->empty()) {
    if (errors.empty()) c.Error(1, "step", "the procedure has no [[step]]");
    return false;
  }
  if (steps->size() > kMaxSteps) {
    c.Error(steps->source(), "step", "more than " + std::to_string(kMaxSteps) + " steps");
    return false;
  }
  int number = 0;
  bool anyPulses = false;
  for (const auto& node : *steps) {
    Step s;
    CheckStep(c, *node.as_table(), out.Folder, ++number, s);
    anyPulses |= s.Pause.empty();
    out.Steps.push_back(std::move(s));
  }
  if (!anyPulses && errors.empty()) c.Error(1, "step", "no step fires a pulse");
  const fs::path self(path);
  if (out.Title.empty()) out.Title = self.stem().string();
  if (out.Report.empty()) {
    fs::path r = self;
    r.replace_extension(".pdf");
    out.Report = r.lexically_normal().string();
  } else {
    out.Report = Resolve(out.Folder, out.Report);
  }
  return errors.empty();
}

bool LoadProcedure(const std::string& path, Procedure& out, std::vector<std::string>& errors) {
  std::string text;
  if (!fs::is_regular_file(path) || !ReadWhole(path, text)) {
    errors.assign(1, path + ": cannot read the procedure file");
    return false;
  }
  return ParseProcedure(text, path, out, errors);
}

}  // namespace procedure
