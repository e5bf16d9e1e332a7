#pragma once
// The Retry/Cancel box of file and print procedures: the error's description as the
// text, "Error # " + the number with its leading blank + " Occured" as the title.
#include <string>
#include <utility>

#include "common/number_text.h"
#include "common/run_error.h"
#include "ui/platform.h"

namespace common {

std::string ErrorBoxTitle(int number);

// Shows the box under `title`; true when the operator chose Retry.
bool AskRetry(ui::Platform& p, const RunError& e, const std::string& title);

// Runs `statement`; on a run-time error shows the box titled titleOf(error number): Retry
// runs the statement again, Cancel abandons (returns false). Some files name themselves in
// the title; the others use ErrorBoxTitle.
template <typename Title, typename F>
bool RetryCancelTitled(ui::Platform& p, Title&& titleOf, F&& statement) {
  for (;;) {
    try {
      statement();
      return true;
    } catch (const RunError& e) {
      if (!AskRetry(p, e, titleOf(e.Number()))) return false;
    }
  }
}

template <typename F>
bool RetryCancel(ui::Platform& p, F&& statement) {
  return RetryCancelTitled(p, ErrorBoxTitle, std::forward<F>(statement));
}

}  // namespace common
