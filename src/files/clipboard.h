#pragma once
// The Tools menu copies: the plot picture, and the numbers of the last pulse as text.
#include <string>

#include "program/program.h"

namespace files {
// Explains the copy, then puts the plot area's picture on the clipboard.
void CopyPlotToClipboard(Program& p);
// Builds ClipText (sample lines, profile lines, trailer) and puts it on the clipboard.
void CopyDataToClipboard(Program& p);
// The data copy's text: items joined by ",", every line ended by a carriage return alone.
void BuildClipText(Program& p, std::string& out);
}  // namespace files
