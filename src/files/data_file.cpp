#include "files/data_file.h"

#include <cmath>

#include "common/error_box.h"
#include "common/file_name.h"
#include "common/number_text.h"
#include "common/text_file.h"
#include "daq/samples.h"
#include "files/report_file.h"

namespace files {

namespace {

// Numbers are written without the blank that stands for a plus sign on screen.
std::string Bare(std::string s) {
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

class Line {
 public:
  explicit Line(std::string& out) : out_(out) {}
  ~Line() { out_ += "\r\n"; }
  Line& Single(float v) { return Item(Bare(common::NumberText(v))); }
  Line& Double(double v) { return Item(Bare(common::NumberTextDouble(v))); }
  Line& Text(const std::string& t) { return Item(common::Quoted(t)); }

 private:
  Line& Item(const std::string& s) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += s;
    return *this;
  }
  std::string& out_;
  bool first_ = true;
};

// Channel `ch` (1..8) of master scan i in G. A channel without a usable calibration reads
// as zero, as on the plot, rather than writing infinities.
float ChannelG(const Program& p, int i, int ch) {
  return static_cast<float>(daq::ChannelSampleG(p.daq, ch, i));
}

void SampleLines(const Program& p, std::string& out) {
  const double m = p.wave.SampleFactor > 0 ? p.wave.SampleFactor : 1;
  const double level = p.plot.TestLevelG;
  for (int i = 1; i <= kDataSampleLines; ++i) {
    Line line(out);
    line.Double(i * 0.7812 / m);
    for (int ch = 1; ch <= 8; ++ch) line.Single(ChannelG(p, i, ch));
    line.Double(profile::DriveListed(p.wave, i, level));
  }
}

void ProfileLines(const Program& p, std::string& out) {
  const auto& r = p.profile.Record;
  for (int j = 0; j < profile::kRows; ++j) {
    Line line(out);
    line.Single(r.Value[j]);
    for (float aux : r.Aux[j]) line.Single(aux);
    line.Text(r.Label[j]);
  }
}

void TrailerLines(Program& p, std::string& out) {
  const auto& r = p.profile.Record;
  const auto& s = p.plot;
  Line(out).Text(p.profile.ProfileFileName);
  Line(out).Text(p.win.Lbl(ui::LabelId::lblTestTitle).Caption);
  Line(out).Text(r.AccelModel);
  Line(out).Text(r.AccelSerial);
  Line(out).Text(p.platform.ShortDate());
  Line(out).Text(p.platform.ShortTime());
  Line(out).Text(" ");
  Line(out).Single(static_cast<float>(p.run.PulseCount));
  Line(out).Single(p.control.ControlPeakG);
  Line(out).Single(s.ResponsePeakV);
  Line(out).Single(s.ResponsePeakD * 2);
  Line(out).Single(s.RefPeakA);
  Line(out).Single(s.RefPeakV);
  Line(out).Single(s.RefPeakD * 2);
  Line(out).Double(p.run.DrivePeakCounts * 0.025);
  Line(out).Text(r.SubTitle1);
  Line(out).Text(r.SubTitle2);
  Line(out).Text(" ");
}

}  // namespace

std::string TestDataText(Program& p) {
  std::string out;
  out.reserve(160 * 1024);
  SampleLines(p, out);
  ProfileLines(p, out);
  TrailerLines(p, out);
  return out;
}

void WriteTestData(Program& p) {
  common::WriteFileAtomically(p.files.DataFileName, TestDataText(p));
}

void ExportData(Program& p) {
  auto& f = p.files;
  f.DataFileName = p.platform.SaveFileDialog(kExportTitle, kExportFilter, 1, kDataPattern);
  if (!common::IsChosenName(f.DataFileName, kDataPattern)) return;
  p.profile.Record.TestTitle = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  common::RetryCancel(p.platform, [&] { WriteTestData(p); });
}

void AskDataFileName(Program& p) {
  AskAutoFileName(p, kAutoExportTitle, kAutoExportFilter, kDataPattern, p.files.DataFileName);
}

void AutoExportData(Program& p) {
  // As with the report: a run with no name chosen asks for one instead of writing a file
  // named after the wildcard pattern.
  if (!common::IsChosenName(p.files.DataFileName, kDataPattern)) AskDataFileName(p);
  if (!common::IsChosenName(p.files.DataFileName, kDataPattern)) return;
  common::RetryCancel(p.platform, [&] { WriteTestData(p); });
}

}  // namespace files
