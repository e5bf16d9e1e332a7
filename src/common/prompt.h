#pragma once
// Settings are entered one number at a time in a prompt box whose default is the
// current value.
#include <optional>
#include <string>

#include "ui/platform.h"

namespace common {

// The number typed, or nothing for Cancel, an empty or a non-numeric answer.
std::optional<double> AskNumber(ui::Platform& p, const std::string& prompt,
                                const std::string& title, const std::string& defaultText);

struct Bounds {
  double Low;
  double High;
  std::string Message;  // text of the out-of-bounds box
  std::string Title;    // its title, as each command quotes it
};

// Asks for a number and stores it in `value` when it lies within the bounds (ends
// included). Out of bounds shows the bounds box and keeps the value. True when stored.
bool AskNumberInBounds(ui::Platform& p, const std::string& prompt, const std::string& title,
                       const std::string& defaultText, const Bounds& bounds, float& value);

}  // namespace common
