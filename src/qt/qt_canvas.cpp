#include "qt/qt_canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <cmath>

#include "qt/palette.h"

namespace qtui {

QtCanvas::QtCanvas() {
  ops_.push_back({Op::Fill, 0, {}, {}, 0});
}

void QtCanvas::SetTargetSize(int w, int h) {
  targetW_ = w > 1 ? w : 1;
  targetH_ = h > 1 ? h : 1;
}

void QtCanvas::Scale(double x1, double y1, double x2, double y2) {
  sx1_ = x1;
  sy1_ = y1;
  sx2_ = x2;
  sy2_ = y2;
  if (sx2_ == sx1_) sx2_ = sx1_ + 1;
  if (sy2_ == sy1_) sy2_ = sy1_ + 1;
}

QPointF QtCanvas::Fraction(double x, double y) const {
  return QPointF((x - sx1_) / (sx2_ - sx1_), (y - sy1_) / (sy2_ - sy1_));
}

void QtCanvas::Clear(int backColor) {
  ++version_;
  run_.clear();
  runColor_ = -1;
  ops_.clear();
  loaded_ = QImage();
  drawnSize_ = QSize(targetW_, targetH_);
  drawnTextScale_ = textScale_;
  ops_.push_back({Op::Fill, backColor, {}, {}, 0});
}

void QtCanvas::FlushRun() {
  if (run_.size() >= 2) ops_.push_back({Op::Lines, runColor_, run_, {}, 0});
  run_.clear();
  runColor_ = -1;
}

void QtCanvas::Line(double x1, double y1, double x2, double y2, int color) {
  ++version_;
  QPointF a = Fraction(x1, y1), b = Fraction(x2, y2);
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
  ops_.push_back({Op::Label, color, {Fraction(x, y)}, QString::fromStdString(text), fontPts_});
}

void QtCanvas::SetFontSize(double points) {
  FlushRun();
  fontPts_ = points > 1 ? points : 1;
}

void QtCanvas::Render(QPainter& pt, QSizeF size, double textScale, bool screen) const {
  const double w = size.width(), h = size.height();
  const double dpr = pt.device() ? pt.device()->devicePixelRatioF() : 1;
  // Keep wild values inside what the painter handles.
  auto clampv = [](double v) { return v < -1e6 ? -1e6 : (v > 1e6 ? 1e6 : v); };
  auto at = [&](QPointF f) { return QPointF(clampv(f.x() * w), clampv(f.y() * h)); };
  // A grid line across a device pixel's edge would be smeared over two pixels by the
  // antialiasing: its edges go on pixel edges (the pen is one logical pixel, dpr pixels).
  auto centre = [&](double v) { return (std::round(v * dpr - dpr / 2) + dpr / 2) / dpr; };
  pt.setRenderHint(QPainter::Antialiasing, screen);
  QFont font("MS Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  QPolygonF poly;
  QVector<QLineF> segs;
  for (const Op& op : ops_) {
    switch (op.What) {
      case Op::Fill:
        pt.fillRect(QRectF(0, 0, w, h), PaletteColor(op.Color));
        break;
      case Op::Loaded:
        pt.setRenderHint(QPainter::SmoothPixmapTransform, screen);
        pt.drawImage(QRectF(0, 0, w, h), loaded_);
        break;
      case Op::Lines: {
        poly.resize(op.Points.size());
        bool straight = screen;
        for (qsizetype i = 0; i < op.Points.size(); ++i) {
          poly[i] = at(op.Points[i]);
          if (i > 0 && poly[i].x() != poly[i - 1].x() && poly[i].y() != poly[i - 1].y())
            straight = false;
        }
        if (straight)
          for (QPointF& q : poly) q = QPointF(centre(q.x()), centre(q.y()));
        pt.setPen(QPen(PaletteColor(op.Color), 1));
        if (!screen || dpr <= 1) {
          pt.drawPolyline(poly);
          break;
        }
        // A pen wider than a device pixel is stroked as one outline, whose cost grows much
        // faster than its length: single segments are many times quicker for a long trace.
        segs.clear();
        for (qsizetype i = 0; i + 1 < poly.size(); ++i) segs.append(QLineF(poly[i], poly[i + 1]));
        pt.drawLines(segs);
        break;
      }
      case Op::Label: {
        font.setPointSizeF(op.FontPoints * textScale);
        pt.setFont(font);
        pt.setPen(PaletteColor(op.Color));
        const QPointF p = at(op.Points[0]);
        pt.drawText(QPointF(p.x(), p.y() + QFontMetricsF(pt.font()).ascent()), op.Str);
        break;
      }
    }
  }
}

const QImage& QtCanvas::Picture() {
  FlushRun();
  if (pictureVersion_ != version_) {
    const QSize size = loaded_.isNull() ? drawnSize_ : loaded_.size();
    picture_ = QImage(size, QImage::Format_RGB32);
    QPainter pt(&picture_);
    Render(pt, size, drawnTextScale_, false);
    pictureVersion_ = version_;
  }
  return picture_;
}

const QImage& QtCanvas::Screen(QSize logical, qreal dpr) {
  FlushRun();
  const QSize px(std::max(1, qRound(logical.width() * dpr)),
                 std::max(1, qRound(logical.height() * dpr)));
  if (screenVersion_ != version_ || screen_.size() != px || screen_.devicePixelRatio() != dpr ||
      screenTextScale_ != textScale_) {
    screen_ = QImage(px, QImage::Format_RGB32);
    screen_.setDevicePixelRatio(dpr);
    QPainter pt(&screen_);
    Render(pt, QSizeF(px) / dpr, textScale_, true);
    screenVersion_ = version_;
    screenTextScale_ = textScale_;
  }
  return screen_;
}

bool QtCanvas::SavePicture(const std::string& path) {
  return Picture().save(QString::fromStdString(path), "BMP");
}

bool QtCanvas::LoadPicture(const std::string& path) {
  QImage img;
  if (!img.load(QString::fromStdString(path))) return false;
  run_.clear();
  runColor_ = -1;
  ++version_;
  loaded_ = img.convertToFormat(QImage::Format_RGB32);
  ops_.clear();
  ops_.push_back({Op::Loaded, 0, {}, {}, 0});
  return true;
}

void QtCanvas::Finish() {
  FlushRun();
}

}  // namespace qtui
