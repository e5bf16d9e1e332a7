#include "analysis/srs_inputs.h"

#include <cmath>

#include "daq/samples.h"

namespace analysis {

uint32_t ActiveChannels(const Program& p) {
  const int count = p.daq.SixteenChannelFlag == 1 ? 16 : (p.daq.EightChannelFlag == 1 ? 8 : 4);
  uint32_t set = 0;
  for (int c = 1; c <= count; ++c) set |= ChannelBit(c);
  return set;
}

double RecordSampleRate(const Program& p) {
  return 1280 * daq::SampleFactorOf(p);
}

SrsWindow MainPulseWindow(const Program& p) {
  // The same test as the abort band's: 4T <= i <= 5T in single precision.
  const float from = 4 * p.wave.PulseSamples, to = 5 * p.wave.PulseSamples;
  SrsWindow w{kSrsRecordSamples, kSrsRecordSamples - 1};
  if (!(from <= to)) return w;  // no pulse width: the whole record is before the pulse
  int first = -1, last = -1;
  for (int i = 0; i < kSrsRecordSamples; ++i) {
    const float fi = static_cast<float>(i);
    if (from <= fi && fi <= to) {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first >= 0) return {first, last};
  // A pulse that starts beyond the record leaves everything before it; one that ended
  // before the record began leaves everything after it.
  return from > kSrsRecordSamples - 1 ? w : SrsWindow{0, -1};
}

double CurrentSrsQ(const Program& p) {
  return SrsQualityFactor(p.Row(profile::row::SrsQuality));
}

void FillSrsInputs(const Program& p, uint32_t channels, SrsInputs& in) {
  const double level = p.plot.TestLevelG;
  for (int i = 0; i < kSrsRecordSamples; ++i) {
    auto& x = in.X[i];
    x.fill(0);
    x[0] = profile::ReferenceG(p.wave, i, level);
  }
  for (int c = 1; c <= 16; ++c) {
    if (!(channels & ChannelBit(c))) continue;
    const float scale = daq::ChannelScale(p, c);
    // A channel without a usable calibration reads as zero, as on the plot.
    if (!std::isfinite(scale) || scale == 0) continue;
    for (int i = 0; i < kSrsRecordSamples; ++i) in.X[i][c] = daq::ChannelSampleG(p.daq, c, i);
  }
}

void ComputeProgramSrs(Program& p, uint32_t channels) {
  auto& s = p.srs;
  FillSrsInputs(p, channels, s.Inputs);
  ComputeSrs(s.Inputs, RecordSampleRate(p), CurrentSrsQ(p), MainPulseWindow(p), s.Result);
  s.Channels = channels;
}

}  // namespace analysis
