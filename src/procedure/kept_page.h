#pragma once
// A printed page kept in memory: the report page of a step is composed right after its
// pulse, while the window still shows that pulse, and played into the report at the end.
#include <string>
#include <vector>

#include "ui/platform.h"

namespace procedure {

class KeptPage : public ui::Printer {
 public:
  // Page size and text widths come from the document the page will be played into.
  void MeasureWith(const ui::Printer* target) { measure_ = target; }
  bool Empty() const { return ops_.empty(); }
  void Clear() { ops_.clear(); }
  // Draws the kept page on `target`.
  void PlayInto(ui::Printer& target) const;

  double PageWidth() const override { return measure_ ? measure_->PageWidth() : 15840; }
  double PageHeight() const override { return measure_ ? measure_->PageHeight() : 12240; }
  double TextWidth(const std::string& text) const override {
    return measure_ ? measure_->TextWidth(text) : 0;
  }
  void Scale(double x1, double y1, double x2, double y2) override {
    ops_.push_back({Op::Scale, x1, y1, x2, y2, 0, {}});
  }
  void SetFontSize(double points) override { ops_.push_back({Op::Font, points, 0, 0, 0, 0, {}}); }
  void SetLineWidth(double points) override { ops_.push_back({Op::Pen, points, 0, 0, 0, 0, {}}); }
  void Line(double x1, double y1, double x2, double y2, int color) override {
    ops_.push_back({Op::Line, x1, y1, x2, y2, color, {}});
  }
  void Text(double x, double y, const std::string& text, int color) override {
    ops_.push_back({Op::Text, x, y, 0, 0, color, text});
  }
  // A picture is not kept: the page of a live pulse is drawn, never grabbed.
  void PrintPlotImage(double, double, double, double) override {}
  void PrintFormImage() override {}
  bool EndDoc() override { return true; }
  int IntSetting() const override { return 2; }
  void SetIntSetting(int) override {}
  float FloatSetting() const override { return 0; }
  void SetFloatSetting(float) override {}

 private:
  struct Op {
    enum Kind { Scale, Font, Pen, Line, Text } What;
    double A, B, C, D;
    int Color;
    std::string Str;
  };
  std::vector<Op> ops_;
  const ui::Printer* measure_ = nullptr;
};

}  // namespace procedure
