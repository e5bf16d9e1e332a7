#pragma once
// The calibration factors file: 64 numbers, one a line; 33..48 are the gains of
// channels 1 to 16.
#include <string>

#include "program/program.h"
#include "common/text_file.h"

namespace files {

inline constexpr const char* kCalFileName = "KRX8Cal.Dat";
inline constexpr int kCalEntries = 64;
inline constexpr int kCalGainBase = 32;  // channel n at index n + 32

void LoadCalFactors(Program& p);
// Reads the 64 factors from an open file, under the loading error box.
void ReadCalFactors(Program& p, common::TextReader& reader);
void SaveCalFactors(Program& p);
// A factor as the file holds it: no leading blank, no leading zero, 7 significant digits.
std::string CalFactorText(float v);
// "Ch#n Gain": asks for channel n's factor (1..16) within 0.75 .. 1.25.
void EditCalGain(Program& p, int channel);
// "Update Calibration Factors": saves the table after the operator agrees.
void UpdateCalFactors(Program& p);

}  // namespace files
