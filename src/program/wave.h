#pragma once
// The synthesised reference pulse and drive, and the sampling values derived from the record.
#include <array>
#include <cstdint>

namespace profile {

inline constexpr int kWaveSamples = 1025;  // indexes 0..1024; a record is 1024 samples

struct Wave {
  std::array<float, kWaveSamples> ReferencePulse{};  // 80.0 = full amplitude
  std::array<int16_t, kWaveSamples> DriveCodes{};    // 8-bit offset codes, 128 = zero drive
  int16_t SampleFactor = 4;                          // M: 1, 2, 4, 8
  float PulseSamples = 0;                            // T: duration in samples
  float CompLevelInEffect = 0.167f;  // automatic compensation level, fraction of the peak
  double DriveScale = 1;             // X of the last drive pass
  // DriveCodes were made from the record as it stands; cleared while it changes.
  bool DriveSynthesized = false;
};

// The reference in G: sample i at the level `levelG` (80.0 = the full level), in double
// precision. Every view, file and check reads it here.
inline constexpr double kGPerReferenceUnit = 0.0125;
inline double ReferenceG(const Wave& w, int i, double levelG) {
  return levelG * kGPerReferenceUnit * w.ReferencePulse[i];
}
// The same held in single precision, as the plots, the kinematics and the acceptance hold
// it; `negative` turns it over for the negative polarity.
inline float ReferenceGSingle(const Wave& w, int i, double levelG, bool negative = false) {
  const float v = static_cast<float>(ReferenceG(w, i, levelG));
  return negative ? -v : v;
}

// The drive as the plots draw it, in G at `levelG`.
inline double DriveG(const Wave& w, int i, double levelG) {
  return 0.004 * (w.DriveCodes[i] - 128) * levelG;
}
// The drive as the test data file and the clipboard list it: a scale of its own, 0.01 x the
// level per code.
inline double DriveListed(const Wave& w, int i, double levelG) {
  return (w.DriveCodes[i] - 128) * 0.01 * levelG;
}

}  // namespace profile
