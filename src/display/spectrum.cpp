#include "display/spectrum.h"

#include <cmath>
#include <utility>

#include "display/draw.h"
#include "display/inputs.h"
#include "display/plot.h"

namespace display {

void ComplexFFT(std::span<float> data, int nn, int isign) {
  if (nn < 2 || nn > kSpectrumPoints || (nn & (nn - 1)) != 0) return;
  if (data.size() < static_cast<size_t>(2 * nn + 1) || (isign != 1 && isign != -1)) return;
  const int n = 2 * nn;
  int j = 1;
  for (int i = 1; i <= n; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    int m = n / 2;
    while (m >= 2 && j > m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
  // The recurrence and the butterflies in double; each store rounds to single.
  int mmax = 2;
  while (n > mmax) {
    const int istep = 2 * mmax;
    const double theta = 6.28318530717959 / (isign * mmax);
    double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (int m = 1; m < mmax; m += 2) {
      for (int i = m; i <= n; i += istep) {
        const int k = i + mmax;
        const double tempr = wr * data[k] - wi * data[k + 1];
        const double tempi = wr * data[k + 1] + wi * data[k];
        data[k] = static_cast<float>(data[i] - tempr);
        data[k + 1] = static_cast<float>(data[i + 1] - tempi);
        data[i] = static_cast<float>(data[i] + tempr);
        data[i + 1] = static_cast<float>(data[i + 1] + tempi);
      }
      wtemp = wr;
      wr = wr + (wr * wpr - wi * wpi);
      wi = wi + (wi * wpr + wtemp * wpi);
    }
    mmax = istep;
  }
}

void TransformSpectrum(std::span<float> re, std::span<float> im, int nn, std::span<float> work) {
  if (nn < 1 || re.size() <= static_cast<size_t>(nn) || im.size() <= static_cast<size_t>(nn) ||
      work.size() <= static_cast<size_t>(2 * nn))
    return;
  for (int k = 1; k <= nn; ++k) {
    work[2 * k - 1] = re[k];
    work[2 * k] = im[k];
  }
  ComplexFFT(work, nn, 1);
  for (int k = 1; k <= nn; ++k) {
    re[k] = work[2 * k - 1];
    im[k] = work[2 * k];
  }
}

void DrawSpectrum(Program& p, Pen& pen) {
  auto& s = p.plot;
  s.PlotTitle = " SHOCK RESPONSE SPECTRUM ";
  DrawPlotTitle(p, pen);
  // Raw counts of channel 1: no zero offset, no calibration.
  const long stride = p.daq.ScanStride;
  for (int k = 1; k <= kSpectrumPoints; ++k) {
    s.SpecRe[k] = static_cast<float>(ScanSample(p.daq.ScanBuffer, k * stride) * 0.0001);
    s.SpecIm[k] = 0;
  }
  TransformSpectrum(s.SpecRe, s.SpecIm, kSpectrumPoints, s.FFTWork);

  const double w = pen.W(), h = pen.H();
  const double f = p.wave.SampleFactor;
  float prev = 0;
  for (int k = 1; k <= kSpectrumBars; ++k) {
    const double re = s.SpecRe[k], im = s.SpecIm[k];
    float v = static_cast<float>(0.05 * std::sqrt(k * (re * re + im * im)));
    if (v > 100) v = 100;
    if (!(v >= 0)) v = 0;
    const double x = k * 0.000625 * w * f;
    // Each bar shows the sum of its bin and the previous one.
    const double y = h * (1 - 0.01 * (prev + v) / s.YZoom);
    pen.Line(x, h, x, y, color::LightRed);
    prev = v;
  }
}

}  // namespace display
