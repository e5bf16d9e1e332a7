#pragma once
// Custom waveshape files: 1024 normalised accelerations (1.0 = the pulse amplitude),
// separated by commas or line ends in any mix.
#include <array>
#include <string>

#include "program/program.h"

namespace profile {

inline constexpr int kShapeFileSamples = 1024;  // index 1024 of CustomShape keeps its value
// Larger samples are refused: they mean nothing physically and would only drive the drive
// scaling towards overflow.
inline constexpr float kShapeSampleLimit = 1e6f;
inline constexpr const char* kShapePattern = "KRXWaveC.*";
inline constexpr const char* kShapeFilter =
    "All Waveshapes (KRXWaveC.*)|KRXWaveC.*|All WaveFiles (*.dat)|*.dat|All Files (*.*)|*.*";
inline constexpr const char* kShapeTitle = "KRX-8 Open Custom Waveshape";

// Reads the first 1024 numbers of `content` into shape[0..1023], each under the error box;
// false when the operator cancelled (the samples read so far stay).
bool ReadCustomShapeText(ui::Platform& pf, std::string content,
                         std::array<float, kCustomSamples>& shape);
bool ReadCustomShape(Program& p, const std::string& path);

// Shock Setup > Pulse Shape > Custom Shape.
void LoadCustomShape(Program& p);

}  // namespace profile
