#include "ui/headless_platform.h"

namespace ui {

Answer HeadlessPlatform::MessageBox(const std::string& text, ui::Buttons buttons, ui::Icon,
                                    const std::string& title) {
  if (error_.empty()) {
    // "Error #  53 Occured: File not found", on one line.
    std::string line = title.empty() ? text : title + ": " + text;
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    const auto first = line.find_first_not_of(' ');
    error_ = first == std::string::npos ? "error" : line.substr(first);
  }
  switch (buttons) {
    case ui::Buttons::RetryCancel:
    case ui::Buttons::OKCancel:
      return ui::Answer::Cancel;
    case ui::Buttons::YesNo:
      return ui::Answer::No;
    case ui::Buttons::OK:
      break;
  }
  return ui::Answer::OK;
}

}  // namespace ui
