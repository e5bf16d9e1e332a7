#pragma once
// The plot picture: the primitives of the last drawing, kept as fractions of the picture, so
// that the window draws them again at its own pixel size (antialiased, at the screen's pixel
// ratio) on every paint, while the report picture and the clipboard keep the picture at the
// size it was drawn. A resize never runs the plot refresh.
#include <QImage>
#include <QPainter>
#include <vector>

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
  // The last drawing at the size it was made: the report picture and the clipboard copy.
  const QImage& Picture();
  // The last drawing at `logical` size for a screen of pixel ratio `dpr`, antialiased; kept
  // until the drawing, the size or the text scale changes.
  const QImage& Screen(QSize logical, qreal dpr);

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
  struct Op {
    enum Kind { Fill, Lines, Label, Loaded } What;
    int Color = 0;
    QPolygonF Points;  // fractions of the picture; a label's top-left corner
    QString Str;
    double FontPoints = 0;
  };
  void FlushRun();
  QPointF Fraction(double x, double y) const;
  // Draws the kept primitives over `size` (logical pixels); `screen` antialiases and puts
  // straight lines on the device's pixel centres.
  void Render(QPainter& pt, QSizeF size, double textScale, bool screen) const;

  std::vector<Op> ops_;
  QImage loaded_;  // a report picture loaded into the box
  int targetW_ = 800, targetH_ = 500;
  QSize drawnSize_{800, 500};
  double drawnTextScale_ = 1;
  double sx1_ = 0, sy1_ = 0, sx2_ = 1, sy2_ = 1;
  double fontPts_ = 8;
  double textScale_ = 1;
  // Joined segments of one colour, kept as one polyline: much cheaper than single lines.
  QPolygonF run_;
  int runColor_ = -1;
  uint32_t version_ = 0;
  QImage picture_, screen_;
  uint32_t pictureVersion_ = ~0u, screenVersion_ = ~0u;
  double screenTextScale_ = 0;
};

}  // namespace qtui
