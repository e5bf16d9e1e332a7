#include "commands/accept_command.h"

#include <cfloat>
#include <cmath>
#include <memory>

#include "analysis/accept_program.h"
#include "common/error_box.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "common/text_file.h"
#include "display/plot.h"
#include "files/data_file.h"
#include "profile/recompute.h"
#include "profile/synthesis.h"
#include "profile/waveshape_file.h"
#include "ui/headless_platform.h"

namespace analysis {

namespace {

constexpr const char* kName = "krx8";
constexpr const char* kHeader =
    R"("Channel","Shift ms","Peak G","Nominal peak G","Peak %","Width ms","Nominal width ms",)"
    R"("Width %","Velocity change","Nominal velocity change","Velocity change %",)"
    R"("Worst band excursion %","Samples outside band","Verdict")";

int Fail(std::ostream& err, const std::string& what) {
  err << kName << ": " << what << '\n';
  return 2;
}

// Seven significant digits, as the spectra's CSV writes them.
std::string Number(double v) {
  std::string s = std::fabs(v) <= FLT_MAX ? common::NumberText(static_cast<float>(v))
                                          : common::NumberTextDouble(v);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

// A single-precision item; one beyond single precision is an overflow, as in a profile.
float Single(common::TextReader& in) {
  const double v = in.ReadNumber();
  if (std::fabs(v) > FLT_MAX) throw common::RunError(common::kErrOverflow);
  return static_cast<float>(v);
}

}  // namespace

void ReadTestData(Program& p, common::TextReader& in, ChannelSamples& samples) {
  for (auto& s : samples) s.fill(0);
  for (int i = 1; i <= files::kDataSampleLines; ++i) {
    in.ReadNumber();  // the time follows from the profile's sampling frequency
    for (auto& s : samples) s[i] = Single(in);
    in.ReadNumber();  // the drive
  }
  auto& r = p.profile.Record;
  for (int j = 0; j < profile::kRows; ++j) {
    r.Value[j] = Single(in);
    for (float& aux : r.Aux[j]) aux = Single(in);
    r.Label[j] = in.ReadText();
  }
}

int RunAcceptCommand(const std::string& dataFile, const std::string& customFile, std::ostream& out,
                     std::ostream& err) {
  ui::HeadlessPlatform pf;
  // The program's context is too large for every stack; it lives as long as the command.
  auto prog = std::make_unique<Program>(pf);
  Program& p = *prog;
  auto samples = std::make_unique<ChannelSamples>();
  profile::SetProfileDefaults(p);
  try {
    common::TextReader in = common::TextReader::Open(dataFile);
    ReadTestData(p, in, *samples);
  } catch (const common::RunError& e) {
    return Fail(err, dataFile + ": " + common::ErrorBoxTitle(e.Number()) + ": " + e.Description());
  }
  if (!customFile.empty()) {
    if (!profile::ReadCustomShape(p, customFile) || !pf.Error().empty())
      return Fail(err, customFile + ": " + pf.Error());
    p.Row(profile::row::PulseShape) = 9;
  }

  profile::SynthesizePulse(p);
  p.plot.TestLevelG = display::CurrentTestLevelG(p);
  p.run.LevelFactor = 1;
  const Tolerances tol = TolerancesOf(p);
  common::TextWriter w("");
  w.WriteRaw(std::string(kHeader) + "\r\n");
  bool channel1Passes = false;
  for (int c = 1; c <= 8; ++c) {
    PulseTraces rec = ReferencePulse(p);
    p.accept.Response = (*samples)[c - 1];
    const AcceptanceResult a = JudgePulse(rec, tol);
    if (c == 1) channel1Passes = a.verdict == Verdict::Pass;
    w.WriteLine({std::to_string(c), Number(a.ShiftMs), Number(a.PeakG), Number(a.NominalPeakG),
                 Number(a.PeakPct), Number(a.WidthMs), Number(a.NominalWidthMs), Number(a.WidthPct),
                 Number(a.VelocityChange), Number(a.NominalVelocityChange),
                 Number(a.VelocityChangePct), Number(a.WorstBandPct),
                 std::to_string(a.SamplesOutside), common::Quoted(VerdictCell(a.verdict))});
  }
  out << w.Content();
  out.flush();
  if (!out) return Fail(err, "the results could not be written");
  return channel1Passes ? 0 : 1;
}

}  // namespace analysis
