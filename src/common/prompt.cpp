#include "common/prompt.h"

#include "common/number_text.h"

namespace common {

std::optional<double> AskNumber(ui::Platform& p, const std::string& prompt,
                                const std::string& title, const std::string& defaultText) {
  std::string answer = p.InputBox(prompt, title, defaultText);
  double v;
  if (!ParseNumber(answer, v)) return std::nullopt;
  return v;
}

bool AskNumberInBounds(ui::Platform& p, const std::string& prompt, const std::string& title,
                       const std::string& defaultText, const Bounds& bounds, float& value) {
  auto v = AskNumber(p, prompt, title, defaultText);
  if (!v) return false;
  if (*v < bounds.Low || *v > bounds.High) {
    p.MessageBox(bounds.Message, ui::Buttons::OK, ui::Icon::None, bounds.Title);
    return false;
  }
  value = static_cast<float>(*v);
  return true;
}

}  // namespace common
