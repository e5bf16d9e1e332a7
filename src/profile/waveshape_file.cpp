#include "profile/waveshape_file.h"

#include <cmath>
#include <optional>
#include <vector>

#include "common/file_name.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"

namespace profile {

using common::RunError;

namespace {

// The numbers of a waveshape file in order. A line end separates like a comma, so blank
// lines and a comma at the end of a line add no number; an empty field between two commas
// reads as 0, as everywhere else.
class ShapeNumbers {
 public:
  explicit ShapeNumbers(common::TextReader r) : reader_(std::move(r)) {}

  // The next number's text; throws RunError 62 past the end of the file.
  std::string Next() {
    while (next_ >= items_.size()) Split(reader_.ReadLine());
    return items_[next_++];
  }

 private:
  void Split(const std::string& line) {
    items_.clear();
    next_ = 0;
    if (line.find_first_not_of(" \t\x1a") == std::string::npos) return;
    size_t start = 0;
    for (;;) {
      size_t comma = line.find(',', start);
      if (comma == std::string::npos) {
        std::string last = line.substr(start);
        if (!items_.empty() && last.find_first_not_of(" \t") == std::string::npos) return;
        items_.push_back(std::move(last));
        return;
      }
      items_.push_back(line.substr(start, comma - start));
      start = comma + 1;
    }
  }

  common::TextReader reader_;
  std::vector<std::string> items_;
  size_t next_ = 0;
};

float ShapeSample(const std::string& text) {
  float v = FieldToSingle(text);
  if (std::fabs(v) > kShapeSampleLimit) throw RunError(common::kErrOverflow);
  return v;
}

bool ReadNumbers(ui::Platform& pf, ShapeNumbers& numbers,
                 std::array<float, kCustomSamples>& shape) {
  for (int i = 0; i < kShapeFileSamples; ++i) {
    // A retried read converts the same field again rather than skipping it.
    std::optional<std::string> field;
    bool read = Attempt(pf, ErrorCaption::Plain, [&] {
      if (!field) field = numbers.Next();
      shape[i] = ShapeSample(*field);
    });
    if (!read) return false;
  }
  return true;
}

}  // namespace

bool ReadCustomShapeText(ui::Platform& pf, std::string content,
                         std::array<float, kCustomSamples>& shape) {
  ShapeNumbers numbers{common::TextReader(std::move(content))};
  return ReadNumbers(pf, numbers, shape);
}

bool ReadCustomShape(Program& p, const std::string& path) {
  std::optional<ShapeNumbers> numbers;
  if (!Attempt(p.platform, ErrorCaption::Plain,
               [&] { numbers.emplace(common::TextReader::Open(path)); }))
    return false;
  return ReadNumbers(p.platform, *numbers, p.profile.CustomShape);
}

void LoadCustomShape(Program& p) {
  using ui::MenuId;
  // The shape is chosen before the dialog and stays chosen if it is cancelled.
  p.win.CheckOnly(MenuId::mnuShockShapeCustom, MenuId::mnuShockShapeHalfsine,
                  MenuId::mnuShockShapeTriangle, MenuId::mnuShockShapeTrap,
                  MenuId::mnuShockShapeIPSaw, MenuId::mnuShockShapeTPSaw,
                  MenuId::mnuShockShapeQuarter, MenuId::mnuShockShapeCusp,
                  MenuId::mnuShockShapeSineBurst, MenuId::mnuShockShapeCustom);
  p.Row(row::PulseShape) = 9;
  std::string name = p.platform.OpenFileDialog(kShapeTitle, kShapeFilter, 1, kShapePattern);
  p.profile.CustomShapeFileName = name;
  if (!common::IsChosenName(name, kShapePattern)) return;
  if (!ReadCustomShape(p, name)) return;
  RecomputeProfile(p);
}

}  // namespace profile
