#pragma once
// The plot picture: drawn into a QImage the size of the plot widget and kept there, so
// that the report picture and the clipboard use the last drawing and a resize only
// scales it.
#include <QImage>
#include <QPainter>
#include <memory>

#include "ui/platform.h"

namespace qtui {

class QtCanvas : public ui::Canvas {
 public:
  QtCanvas();
  // The size the next Clear() draws at (the plot widget's size).
  void SetTargetSize(int w, int h);
  // The text of the next drawing grows with the window, as its labels do.
  void SetTextScale(double s) { textScale_ = s > 0 ? s : 1; }
  // Counts the changes of the picture, so that the window repaints only a new drawing.
  uint32_t Version() const { return version_; }
  const QImage& Picture() {
    FlushRun();
    return image_;
  }

  // The picture box's current size, whatever picture it holds (a loaded report, or one
  // drawn before a resize): the next drawing and the cursor read-out use it.
  int Width() const override { return targetW_; }
  int Height() const override { return targetH_; }
  void Scale(double x1, double y1, double x2, double y2) override;
  void Clear(int backColor) override;
  void Line(double x1, double y1, double x2, double y2, int color) override;
  void Text(double x, double y, const std::string& text, int color) override;
  void SetFontSize(double points) override;
  bool SavePicture(const std::string& path) override;
  bool LoadPicture(const std::string& path) override;
  void Finish() override;

 private:
  QPainter& Painter();
  void FlushRun();
  QPointF Map(double x, double y) const;
  QImage image_;
  std::unique_ptr<QPainter> painter_;
  int targetW_ = 800, targetH_ = 500;
  double sx1_ = 0, sy1_ = 0, sx2_ = 1, sy2_ = 1;
  double fontPts_ = 8;
  double textScale_ = 1;
  // Joined segments of one colour, drawn as one polyline: much cheaper than single lines.
  QPolygonF run_;
  int runColor_ = -1;
  uint32_t version_ = 0;
};

}  // namespace qtui
