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

}  // namespace profile
