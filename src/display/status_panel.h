#pragma once
#include <string>

#include "program/program.h"

namespace display {

// Rewrites every read-out label of the status panel and the window caption.
void UpdateStatusPanel(Program& p);

// The window caption banner of a dealer index (1..12, two indexes a banner); empty for
// any other index, which leaves the caption as it is.
std::string DealerBanner(int dealerIndex);

}  // namespace display
