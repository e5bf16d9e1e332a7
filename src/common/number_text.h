#pragma once
#include <string>

namespace common {

// Plain number text: a blank before a non-negative number, no leading zero before the
// point, 7 significant digits for single precision and 15 for double, always in plain
// decimals ("15000000", ".00001"), never in an exponent form.
std::string NumberText(float v);
std::string NumberTextDouble(double v);

// The current value as a prompt's default: NumberText without its leading blank and with a
// zero before the point ("0.8", "-0.5", "16.7").
std::string PromptDefaultText(float v);

// Numeric picture mask: '#' optional digit, '0' required digit, '.' the point, anything
// else literal. A negative value gets its '-' before the first digit position.
std::string FormatMask(double v, const std::string& mask);

// Parses a number the way the prompt boxes and text files accept it: optional blanks,
// a sign, digits with an optional point, an optional exponent. Returns false when the
// text is not a number as a whole.
bool ParseNumber(const std::string& text, double& out);

// Shortest plain-decimal text that reads back to the same 32-bit float, "." as the point,
// no leading zero before the point of a magnitude below 1, never an exponent.
std::string ShortestFloatText(float v);

}  // namespace common
