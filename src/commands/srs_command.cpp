#include "commands/srs_command.h"

#include <cmath>
#include <memory>
#include <string_view>

#include "analysis/srs_csv.h"
#include "analysis/srs_inputs.h"
#include "common/number_text.h"
#include "display/plot.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "profile/waveshape_file.h"
#include "program/program.h"
#include "ui/headless_platform.h"

namespace analysis {

namespace {

constexpr const char* kName = "krx8";

int Fail(std::ostream& err, const std::string& what) {
  err << kName << ": " << what << '\n';
  return 2;
}

}  // namespace

int RunSrsCommand(const std::string& profileFile, const std::string& customFile,
                  std::optional<double> q, std::ostream& out, std::ostream& err) {
  if (q && !(*q >= kSrsLowestQ && *q <= kSrsHighestQ))
    return Fail(err, "the quality factor must be between 2 and 50");

  ui::HeadlessPlatform pf;
  // The program's context is too large for every stack; it lives as long as the command.
  auto prog = std::make_unique<Program>(pf);
  Program& p = *prog;
  profile::SetProfileDefaults(p);
  profile::FieldSource src(pf, profile::ErrorCaption::Plain);
  if (!src.Open(profileFile) || !profile::ReadProfileFields(src, p.profile.Record) ||
      !pf.Error().empty())
    return Fail(err, profileFile + ": " + pf.Error());
  // An empty file would leave the built-in default, a spectrum of nothing the file says.
  if (src.FieldsRead() < 7) return Fail(err, profileFile + ": no complete profile row");
  if (!customFile.empty()) {
    if (!profile::ReadCustomShape(p, customFile) || !pf.Error().empty())
      return Fail(err, customFile + ": " + pf.Error());
    p.Row(profile::row::PulseShape) = 9;
  }
  if (q) p.Row(profile::row::SrsQuality) = static_cast<float>(*q);

  profile::SynthesizePulse(p);
  p.plot.TestLevelG = display::CurrentTestLevelG(p);
  ComputeProgramSrs(p, 0);
  out << SrsCsvText(p.srs.Result, 0);
  out.flush();
  return out ? 0 : Fail(err, "the spectra could not be written");
}

}  // namespace analysis
