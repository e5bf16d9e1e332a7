#include "display/response.h"

#include <cmath>
#include <cstdint>

#include "daq/samples.h"
#include "display/inputs.h"
#include "display/plot.h"

namespace display {

void ComputeResponse(const Program& p, int c, double dispStep, ResponseTraces& out) {
  const auto& b = c <= 8 ? p.daq.ScanBuffer : p.daq.SlaveScanBuffer;
  const int k = c <= 8 ? c - 1 : c - 9;
  const long n = p.daq.ScanStride;
  const int z = p.daq.AdcZero;
  const float scale = ChannelScale(p, c);
  // A channel without a usable calibration reads as zero instead of infinities.
  const bool usable = std::isfinite(scale) && scale != 0;
  const bool smooth = p.Row(kSmoothResponseRow) == 1;
  const double m = SampleFactorOf(p);
  const double velStep = 0.08 / (0.25 * m), dStep = dispStep / (0.25 * m);
  const float decayFrom = 9.1f * p.wave.PulseSamples;
  auto at = [&](long i) { return static_cast<int32_t>(ScanSample(b, i * n + k)) - z; };

  out = ResponseTraces{};
  float pv = 0, pd = 0;
  for (int i = 3; i <= 1022; ++i) {
    float a = 0;
    if (usable) {
      // Differences and their sum in 32 bits: a full-scale sample minus the zero must
      // neither overflow nor wrap.
      if (smooth)
        a = static_cast<float>((at(i - 2) + at(i - 1) + at(i) + at(i + 1)) * 0.25 / scale);
      else
        a = static_cast<float>(daq::ChannelSampleG(p.daq, c, i));
    }
    const bool decay = i > decayFrom;
    pv = static_cast<float>(decay ? 0.9 * pv : pv + a * velStep);
    pd = static_cast<float>(decay ? 0.9 * pd : pd + pv * dStep);
    out.Accel[i] = a;
    out.Velocity[i] = pv;
    out.Displacement[i] = pd;
  }
}

}  // namespace display
