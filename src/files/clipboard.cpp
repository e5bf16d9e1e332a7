#include "files/clipboard.h"

#include <cmath>

#include "common/number_text.h"
#include "daq/samples.h"
#include "program/record.h"

namespace files {

namespace {

constexpr int kSampleLines = 1023;
constexpr int kDataChannels = 8;  // the master board's channels; the slave's are not copied
constexpr char kLineEnd = '\r';

void Item(std::string& out, const std::string& text, bool first = false) {
  if (!first) out += ',';
  out += text;
}

void Line(std::string& out, const std::string& text) {
  out += text;
  out += kLineEnd;
}

// Channel `ch` (1..8) of scan i in G, the same number the test data file holds. A channel
// without a usable scale reads 0 rather than a division by zero.
float ChannelG(const Program& p, int i, int ch) {
  return static_cast<float>(daq::ChannelSampleG(p.daq, ch, i));
}

void AppendSampleLines(const Program& p, std::string& out) {
  const int m = p.wave.SampleFactor > 0 ? p.wave.SampleFactor : 1;
  const float level = p.plot.TestLevelG;
  for (int i = 1; i <= kSampleLines; ++i) {
    Item(out, common::NumberTextDouble(i * 0.7812 / m), true);
    for (int ch = 1; ch <= kDataChannels; ++ch) Item(out, common::NumberText(ChannelG(p, i, ch)));
    // The sample times the level in single precision first: the clipboard's own order.
    const float ref = p.wave.ReferencePulse[i] * level;
    Item(out, common::NumberTextDouble(static_cast<double>(ref) * profile::kGPerReferenceUnit));
    Item(out, common::NumberTextDouble(profile::DriveListed(p.wave, i, level)));
    out += kLineEnd;
  }
}

void AppendProfileLines(const Program& p, std::string& out) {
  const auto& rec = p.profile.Record;
  for (int j = 0; j < profile::kRows; ++j) {
    Item(out, common::NumberText(rec.Value[j]), true);
    for (float aux : rec.Aux[j]) Item(out, common::NumberText(aux));
    Item(out, rec.Label[j]);
    out += kLineEnd;
  }
}

void AppendTrailer(const Program& p, std::string& out) {
  const auto& rec = p.profile.Record;
  const auto& plot = p.plot;
  auto number = [&](float v) { Line(out, common::NumberText(v)); };
  Line(out, p.profile.ProfileFileName);
  Line(out, p.win.Lbl(ui::LabelId::lblTestTitle).Caption);
  Line(out, rec.AccelModel);
  Line(out, rec.AccelSerial);
  Line(out, p.platform.ShortDate());
  Line(out, p.platform.ShortTime());
  Line(out, " ");
  number(static_cast<float>(p.run.PulseCount));
  number(p.control.ControlPeakG);
  number(plot.ResponsePeakV);
  number(plot.ResponsePeakD * 2);
  number(plot.RefPeakA);
  number(plot.RefPeakV);
  number(plot.RefPeakD * 2);
  Line(out, common::NumberTextDouble(p.run.DrivePeakCounts * 0.025));
  Line(out, rec.SubTitle1);
  Line(out, rec.SubTitle2);
  Line(out, " ");
}

}  // namespace

void CopyPlotToClipboard(Program& p) {
  p.platform.MessageBox(
      " This menu command copies the plot to the system clipboard to be pasted in other "
      "applications; press the PrintScreen key to copy the entire screen to the clipboard. The "
      "plot background color will be that set in the VIEW|PLOTBACKGROUND menu.",
      ui::Buttons::OK, ui::Icon::None, "Copy To Clipboard");
  p.platform.ClipboardClear();
  p.platform.ClipboardSetPlot();
}

void BuildClipText(Program& p, std::string& out) {
  out.clear();
  AppendSampleLines(p, out);
  AppendProfileLines(p, out);
  AppendTrailer(p, out);
}

void CopyDataToClipboard(Program& p) {
  p.platform.ClipboardClear();
  BuildClipText(p, p.files.ClipText);
  p.platform.ClipboardSetText(p.files.ClipText);
}

}  // namespace files
