// The plant's settings: the preset named by DAQSIM_PLANT and its overrides, each checked;
// a bad value is reported by name and never replaced by a guess.
#include <cmath>
#include <cstdlib>
#include <string>

#include "plant.h"

namespace daqsim {
namespace {

enum class Sign { Positive, NonNegative };

const char* Env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// Reads a number into x if the variable is set; false (with the error) if it is unsound.
bool Number(PlantConfig& c, const char* name, Sign sign, double& x, double scale = 1) {
  const char* v = Env(name);
  if (!v || !c.Error.empty()) return c.Error.empty();
  char* end = nullptr;
  double y = std::strtod(v, &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  bool number = end != v && end && *end == '\0' && std::isfinite(y);
  bool signOk = sign == Sign::Positive ? y > 0 : y >= 0;
  if (!number || !signOk) {
    c.Error = std::string(name) + " is not a " +
              (sign == Sign::Positive ? "positive" : "non-negative") + " number: '" + v + "'";
    return false;
  }
  x = y * scale;
  return true;
}

// One value for every channel, or a comma list for channels 1..16 (the last repeats).
void Locations(PlantConfig& c, bool& given) {
  const char* v = Env("DAQSIM_ACCEL_AT");
  given = v != nullptr;
  if (!v || !c.Error.empty()) return;
  std::string s = v;
  bool last = false;
  int k = 0;
  size_t a = 0;
  while (a <= s.size()) {
    size_t b = s.find(',', a);
    if (b == std::string::npos) b = s.size();
    std::string item = s.substr(a, b - a);
    a = b + 1;
    if (item.empty()) continue;
    if (item != "table" && item != "fixture") {
      c.Error = "DAQSIM_ACCEL_AT takes table or fixture, not '" + item + "'";
      return;
    }
    last = item == "fixture";
    if (k < 16) c.AtFixture[k++] = last;
  }
  for (; k < 16; ++k) c.AtFixture[k] = last;
}

}  // namespace

PlantConfig ReadPlantConfig() {
  PlantConfig c;
  PlantParams& p = c.P;
  if (const char* kind = Env("DAQSIM_PLANT")) {
    std::string k = kind;
    if (k == "shaker") {
      c.Kind = PlantKind::Shaker;
    } else if (k == "fixture") {
      c.Kind = PlantKind::Fixture;
      p.TableKg = 1.4;
      p.FixKg = 0.8;
      for (bool& f : c.AtFixture) f = true;
    } else if (k != "ideal") {
      c.Error = "DAQSIM_PLANT takes ideal, shaker or fixture, not '" + k + "'";
      return c;
    }
  }
  const Sign pos = Sign::Positive, nonneg = Sign::NonNegative;
  Number(c, "DAQSIM_AMP_GAIN", pos, p.AmpGain);
  Number(c, "DAQSIM_AMP_HZ", pos, p.AmpHz);
  Number(c, "DAQSIM_AMP_CLIP_V", nonneg, p.ClipV);
  Number(c, "DAQSIM_DELAY_US", nonneg, p.DelayS, 1e-6);
  Number(c, "DAQSIM_COIL_R", pos, p.CoilR);
  Number(c, "DAQSIM_COIL_L", pos, p.CoilL);
  Number(c, "DAQSIM_BL", pos, p.Bl);
  Number(c, "DAQSIM_COIL_KG", pos, p.CoilKg);
  Number(c, "DAQSIM_TABLE_KG", pos, p.TableKg);
  Number(c, "DAQSIM_SUSP_K", nonneg, p.SuspK);
  Number(c, "DAQSIM_SUSP_C", nonneg, p.SuspC);
  Number(c, "DAQSIM_ARM_HZ", pos, p.ArmHz);
  Number(c, "DAQSIM_ARM_ZETA", nonneg, p.ArmZeta);
  Number(c, "DAQSIM_FIX_KG", nonneg, p.FixKg);
  Number(c, "DAQSIM_FIX_HZ", pos, p.FixHz);
  Number(c, "DAQSIM_FIX_ZETA", nonneg, p.FixZeta);
  Number(c, "DAQSIM_STROKE_MM", pos, c.StrokeMm);
  bool given = false;
  Locations(c, given);
  if (!c.Error.empty() || c.Kind == PlantKind::Ideal) return c;
  // Without a fixture mass the preset's accelerometer sits on the table.
  bool anyFixture = false;
  for (bool& f : c.AtFixture) {
    if (!given && p.FixKg == 0) f = false;
    anyFixture = anyFixture || f;
  }
  if (anyFixture && p.FixKg == 0)
    c.Error = "DAQSIM_ACCEL_AT names the fixture, but DAQSIM_FIX_KG gives it no mass";
  return c;
}

}  // namespace daqsim
