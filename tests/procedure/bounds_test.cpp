#include "profile/bounds.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "procedure/procedure_file.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "ui/headless_platform.h"

using testing_support::Harness;
using testing_support::TempDir;
using testing_support::WriteFile;
using ui::MenuId;
namespace row = profile::row;

namespace {

std::string Text(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

void WriteProfile(const std::string& path, float amplitude) {
  ui::HeadlessPlatform pf;
  auto p = std::make_unique<Program>(pf);
  profile::SetProfileDefaults(*p);
  p->Row(row::PulseAmplitude) = amplitude;
  for (int r : {row::LimitA, row::LimitV, row::LimitD}) p->Row(r) = 1e9f;
  WriteFile(path, profile::ProfileText(p->profile.Record));
}

// The prompt stores `v` (true) or refuses it with the table's text.
bool PromptTakes(MenuId item, const profile::SettingBounds& b, double v) {
  Harness h;
  profile::SetProfileDefaults(h.prog);
  h.prog.daq.DemoMode = 1;
  for (int r : {row::LimitA, row::LimitV, row::LimitD}) h.prog.Row(r) = 1e9f;
  const float before = h.prog.Row(b.Row);
  h.plat.Inputs.push_back(Text(v));
  h.Click(item);
  if (h.prog.Row(b.Row) == static_cast<float>(v) && h.plat.Boxes.empty()) return true;
  EXPECT_EQ(h.prog.Row(b.Row), before) << b.Prompt << " " << v;
  EXPECT_TRUE(!h.plat.Boxes.empty() && h.plat.Boxes.back().Text == b.Refusal) << b.Prompt;
  return false;
}

}  // namespace

// A procedure file can ask for nothing the operator's prompt would refuse, and for everything
// it takes: at both ends of each bound and just beyond them.
TEST(SettingBounds, TheProcedureCheckAndThePromptsTakeTheSameValues) {
  TempDir dir;
  WriteProfile(dir / "small.001", 10);
  WriteProfile(dir / "large.001", 100);
  struct Case {
    MenuId Item;
    const profile::SettingBounds& Bounds;
    double Beyond;  // how far outside a refused value lies
  } cases[] = {
      {MenuId::mnuTestNumber, profile::BoundsOf(row::TotalPulses), 1},
      {MenuId::mnuTestRepRate, profile::BoundsOf(row::RepetitionRate), 0.01},
      {MenuId::mnuShockAmplitude, profile::BoundsOf(row::PulseAmplitude), 0.05},
  };
  for (const auto& c : cases) {
    const auto& b = c.Bounds;
    for (double v : {b.Low - c.Beyond, b.Low, b.High, b.High + c.Beyond}) {
      std::string step;
      if (b.Row == row::PulseAmplitude) {
        // The amplitude is the profile's times the step's level.
        const double profileG = v < 10 ? 10 : 100;
        step = std::string("profile = \"") + (v < 10 ? "small.001" : "large.001") +
               "\"\nlevel = " + Text(v / profileG * 100) + "\n";
      } else {
        step = "profile = \"small.001\"\n" +
               std::string(b.Row == row::TotalPulses ? "pulses" : "period") + " = " + Text(v) +
               "\n";
      }
      procedure::Procedure proc;
      std::vector<std::string> errors;
      const bool fileTakes =
          procedure::ParseProcedure("[[step]]\n" + step, dir / "t.toml", proc, errors);
      EXPECT_EQ(fileTakes, b.Within(v)) << step << (errors.empty() ? "" : errors.front());
      EXPECT_EQ(PromptTakes(c.Item, b, v), b.Within(v)) << b.Prompt << " " << v;
    }
  }
}
