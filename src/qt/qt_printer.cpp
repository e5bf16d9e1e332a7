#include "qt/qt_printer.h"

#include <QFont>
#include <QPageLayout>

#include "qt/palette.h"

namespace qtui {

QtPrinter::QtPrinter(std::function<QImage()> plotImage)
    : printer_(QPrinter::HighResolution), plotImage_(std::move(plotImage)) {
  QByteArray pdf = qgetenv("KRX8_PRINT_PDF");
  if (!pdf.isEmpty()) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(QString::fromLocal8Bit(pdf));
  }
}

double QtPrinter::PageWidth() const { return sx2_ - sx1_; }
double QtPrinter::PageHeight() const { return sy2_ - sy1_; }

void QtPrinter::Scale(double x1, double y1, double x2, double y2) {
  sx1_ = x1;
  sy1_ = y1;
  sx2_ = x2 == x1 ? x1 + 1 : x2;
  sy2_ = y2 == y1 ? y1 + 1 : y2;
}

QPainter* QtPrinter::Painter() {
  if (failed_) return nullptr;
  if (!painter_) {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
      painter_.reset();
      failed_ = true;
      return nullptr;
    }
    QFont f("MS Sans Serif");
    f.setPointSizeF(fontPts_);
    painter_->setFont(f);
  }
  return painter_.get();
}

QPointF QtPrinter::Map(double x, double y) const {
  QRect r = printer_.pageLayout().paintRectPixels(printer_.resolution());
  return QPointF((x - sx1_) / (sx2_ - sx1_) * r.width(), (y - sy1_) / (sy2_ - sy1_) * r.height());
}
double QtPrinter::MapW(double w) const {
  QRect r = printer_.pageLayout().paintRectPixels(printer_.resolution());
  return w / (sx2_ - sx1_) * r.width();
}
double QtPrinter::MapH(double h) const {
  QRect r = printer_.pageLayout().paintRectPixels(printer_.resolution());
  return h / (sy2_ - sy1_) * r.height();
}

void QtPrinter::SetFontSize(double points) {
  fontPts_ = points > 1 ? points : 1;
  if (painter_) {
    QFont f = painter_->font();
    f.setPointSizeF(fontPts_);
    painter_->setFont(f);
  }
}

void QtPrinter::Line(double x1, double y1, double x2, double y2, int color) {
  if (QPainter* p = Painter()) {
    p->setPen(QPen(PaletteColor(color), 2));
    p->drawLine(Map(x1, y1), Map(x2, y2));
  }
}

void QtPrinter::Text(double x, double y, const std::string& text, int color) {
  if (QPainter* p = Painter()) {
    p->setPen(PaletteColor(color));
    QPointF at = Map(x, y);
    QFontMetricsF fm(p->font());
    p->drawText(QPointF(at.x(), at.y() + fm.ascent()), QString::fromStdString(text));
  }
}

void QtPrinter::PrintPlotImage(double x, double y, double w, double h) {
  if (QPainter* p = Painter()) {
    QPointF at = Map(x, y);
    p->drawImage(QRectF(at.x(), at.y(), MapW(w), MapH(h)), plotImage_());
  }
}

bool QtPrinter::EndDoc() {
  bool ok = !failed_;
  if (painter_) ok = painter_->end() && ok;
  painter_.reset();
  failed_ = false;
  return ok;
}

// The two saved settings: the orientation (integer) and the page's top margin in mm.
int QtPrinter::IntSetting() const {
  return printer_.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}
void QtPrinter::SetIntSetting(int v) {
  printer_.setPageOrientation(v == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}
float QtPrinter::FloatSetting() const {
  return static_cast<float>(printer_.pageLayout().margins(QPageLayout::Millimeter).top());
}
void QtPrinter::SetFloatSetting(float v) {
  QMarginsF m = printer_.pageLayout().margins(QPageLayout::Millimeter);
  m.setTop(v);
  printer_.setPageMargins(m, QPageLayout::Millimeter);
}

}  // namespace qtui
