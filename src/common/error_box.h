#pragma once
// The Retry/Cancel box of file and print procedures: the error's description as the
// text, "Error # " + the number with its leading blank + " Occured" as the title.
#include <string>

#include "common/number_text.h"
#include "common/run_error.h"
#include "ui/platform.h"

namespace common {

std::string ErrorBoxTitle(int number);

// Shows the box; true when the operator chose Retry.
bool AskRetry(ui::Platform& p, const RunError& e);

// Runs `statement`; on a run-time error shows the box: Retry runs the statement again,
// Cancel abandons (returns false).
template <typename F>
bool RetryCancel(ui::Platform& p, F&& statement) {
  for (;;) {
    try {
      statement();
      return true;
    } catch (const RunError& e) {
      if (!AskRetry(p, e)) return false;
    }
  }
}

}  // namespace common
