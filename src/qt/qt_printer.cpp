#include "qt/qt_printer.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QMainWindow>
#include <QPageLayout>
#include <QPrintDialog>

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

std::unique_ptr<QtPrinter> QtPrinter::PdfWriter(const std::string& path,
                                                std::function<QImage()> plotImage) {
  auto pr = std::make_unique<QtPrinter>(std::move(plotImage));
  pr->printer_.setOutputFormat(QPrinter::PdfFormat);
  pr->printer_.setOutputFileName(QString::fromStdString(path));
  return pr;
}

void QtPrinter::NewPage() {
  if (Painter()) printer_.newPage();
}

double QtPrinter::PageWidth() const {
  return sx2_ - sx1_;
}
double QtPrinter::PageHeight() const {
  return sy2_ - sy1_;
}

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
    painter_->setFont(CurrentFont());
  }
  return painter_.get();
}

QFont QtPrinter::CurrentFont() const {
  QFont f("MS Sans Serif");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(fontPts_);
  return f;
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
    const double width = penPts_ * printer_.resolution() / 72.0;
    QPen pen(PaletteColor(color), width);
    const QPointF a = Map(x1, y1), b = Map(x2, y2);
    if (style_ != ui::LineStyle::Solid && width > 0) {
      if (style_ == ui::LineStyle::Dashed) {
        pen.setDashPattern({6, 3});  // in pen widths
        pen.setCapStyle(Qt::FlatCap);
      } else {
        pen.setDashPattern({0.01, 3});  // round dots
        pen.setCapStyle(Qt::RoundCap);
      }
      if (a != patternEnd_) patternDone_ = 0;
      pen.setDashOffset(patternDone_);
      patternDone_ += QLineF(a, b).length() / width;
      patternEnd_ = b;
    }
    p->setPen(pen);
    p->drawLine(a, b);
  }
}

void QtPrinter::SetLineStyle(ui::LineStyle style) {
  if (style != style_) patternDone_ = 0;
  style_ = style;
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

void QtPrinter::SetLineWidth(double points) {
  penPts_ = points > 0 ? points : 0;
}

double QtPrinter::TextWidth(const std::string& text) const {
  QRect r = printer_.pageLayout().paintRectPixels(printer_.resolution());
  if (r.width() <= 0) return 0;
  QFontMetricsF fm(CurrentFont(), &printer_);
  return fm.horizontalAdvance(QString::fromStdString(text)) / r.width() * (sx2_ - sx1_);
}

// The main window as it stands, fitted to the page with its proportions kept; the plot
// picture alone when there is no window to grab.
void QtPrinter::PrintFormImage() {
  QImage image;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible()) {
      image = main->grab().toImage();
      break;
    }
  if (image.isNull()) image = plotImage_();
  QPainter* p = Painter();
  if (!p || image.isNull()) return;
  QRect r = printer_.pageLayout().paintRectPixels(printer_.resolution());
  QSizeF size = QSizeF(image.size()).scaled(QSizeF(r.size()), Qt::KeepAspectRatio);
  p->drawImage(QRectF(QPointF(0, 0), size), image);
}

bool QtPrinter::SetupDialog(const std::string& title) {
  QPrintDialog dlg(&printer_, QApplication::activeWindow());
  dlg.setWindowTitle(QString::fromStdString(title));
  return dlg.exec() == QDialog::Accepted;
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
