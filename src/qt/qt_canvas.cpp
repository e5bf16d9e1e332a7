#include "qt/qt_canvas.h"

#include <QFile>
#include <QFont>

#include "qt/palette.h"

namespace qtui {

QtCanvas::QtCanvas() {
  image_ = QImage(targetW_, targetH_, QImage::Format_RGB32);
  image_.fill(Qt::black);
}

void QtCanvas::SetTargetSize(int w, int h) {
  targetW_ = w > 1 ? w : 1;
  targetH_ = h > 1 ? h : 1;
}

QPainter& QtCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    QFont f("MS Sans Serif");
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(fontPts_ * textScale_);
    painter_->setFont(f);
  }
  return *painter_;
}

void QtCanvas::Scale(double x1, double y1, double x2, double y2) {
  sx1_ = x1;
  sy1_ = y1;
  sx2_ = x2;
  sy2_ = y2;
  if (sx2_ == sx1_) sx2_ = sx1_ + 1;
  if (sy2_ == sy1_) sy2_ = sy1_ + 1;
}

QPointF QtCanvas::Map(double x, double y) const {
  double px = (x - sx1_) / (sx2_ - sx1_) * image_.width();
  double py = (y - sy1_) / (sy2_ - sy1_) * image_.height();
  // Keep wild values inside what the painter handles.
  auto clampv = [](double v) { return v < -1e6 ? -1e6 : (v > 1e6 ? 1e6 : v); };
  return QPointF(clampv(px), clampv(py));
}

void QtCanvas::Clear(int backColor) {
  ++version_;
  run_.clear();
  runColor_ = -1;
  painter_.reset();
  if (image_.width() != targetW_ || image_.height() != targetH_)
    image_ = QImage(targetW_, targetH_, QImage::Format_RGB32);
  image_.fill(PaletteColor(backColor));
}

void QtCanvas::FlushRun() {
  if (run_.size() >= 2) {
    QPainter& pt = Painter();
    pt.setPen(QPen(PaletteColor(runColor_), 1));
    pt.drawPolyline(run_);
  }
  run_.clear();
  runColor_ = -1;
}

void QtCanvas::Line(double x1, double y1, double x2, double y2, int color) {
  ++version_;
  QPointF a = Map(x1, y1), b = Map(x2, y2);
  if (!run_.isEmpty() && color == runColor_ && run_.last() == a && run_.size() < 4096) {
    run_ << b;
    return;
  }
  FlushRun();
  run_ << a << b;
  runColor_ = color;
}

void QtCanvas::Text(double x, double y, const std::string& text, int color) {
  ++version_;
  FlushRun();
  QPainter& pt = Painter();
  pt.setPen(PaletteColor(color));
  QPointF at = Map(x, y);
  QFontMetricsF fm(pt.font());
  pt.drawText(QPointF(at.x(), at.y() + fm.ascent()), QString::fromStdString(text));
}

void QtCanvas::SetFontSize(double points) {
  FlushRun();
  fontPts_ = points > 1 ? points : 1;
  if (painter_) {
    QFont f = painter_->font();
    f.setPointSizeF(fontPts_ * textScale_);
    painter_->setFont(f);
  }
}

bool QtCanvas::SavePicture(const std::string& path) {
  FlushRun();
  painter_.reset();
  return image_.save(QString::fromStdString(path), "BMP");
}

bool QtCanvas::LoadPicture(const std::string& path) {
  QImage img;
  if (!img.load(QString::fromStdString(path))) return false;
  run_.clear();
  painter_.reset();
  ++version_;
  image_ = img.convertToFormat(QImage::Format_RGB32);
  return true;
}

void QtCanvas::Finish() {
  FlushRun();
  painter_.reset();
}

}  // namespace qtui
