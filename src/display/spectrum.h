#pragma once
// The spectrum view: a 1024-point Fourier transform of channel 1, drawn as 400 bars.
#include <span>

#include "program/program.h"

namespace display {

class Pen;

// In-place radix-2 transform of nn complex points held one-based in `data` (element
// 2k-1 the real and 2k the imaginary part of point k); isign is the sign of the exponent.
// Not normalised. Arguments out of range (nn not a power of two in 2..1024, data too
// short, isign not +1 or -1) leave the data as it is.
void ComplexFFT(std::span<float> data, int nn, int isign);

// Transforms re(1..nn), im(1..nn) with sign +1 through the work array.
void TransformSpectrum(std::span<float> re, std::span<float> im, int nn, std::span<float> work);

// Fills SpecRe and SpecIm from channel 1, transforms them and draws the bars.
void DrawSpectrum(Program& p, Pen& pen);

}  // namespace display
