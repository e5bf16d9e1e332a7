#include "common/error_box.h"

namespace common {

std::string ErrorBoxTitle(int number) {
  return "Error # " + NumberText(static_cast<float>(number)) + " Occured";
}

bool AskRetry(ui::Platform& p, const RunError& e, const std::string& title) {
  return p.MessageBox(e.Description(), ui::Buttons::RetryCancel, ui::Icon::Exclamation, title) ==
         ui::Answer::Retry;
}

}  // namespace common
