#pragma once
// The printer page through QPrinter; KRX8_PRINT_PDF names a PDF file to print into.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <functional>
#include <memory>

#include "ui/platform.h"

namespace qtui {

class QtPrinter : public ui::Printer {
 public:
  explicit QtPrinter(std::function<QImage()> plotImage);
  // A printer of its own writing a PDF document to `path`.
  static std::unique_ptr<QtPrinter> PdfWriter(const std::string& path,
                                              std::function<QImage()> plotImage);
  QPrinter& Device() { return printer_; }

  double PageWidth() const override;
  double PageHeight() const override;
  void Scale(double x1, double y1, double x2, double y2) override;
  void SetFontSize(double points) override;
  void Line(double x1, double y1, double x2, double y2, int color) override;
  void Text(double x, double y, const std::string& text, int color) override;
  void PrintPlotImage(double x, double y, double w, double h) override;
  bool EndDoc() override;
  void NewPage() override;
  void SetLineWidth(double points) override;
  void SetLineStyle(ui::LineStyle style) override;
  double TextWidth(const std::string& text) const override;
  void PrintFormImage() override;
  bool SetupDialog(const std::string& title) override;
  int IntSetting() const override;
  void SetIntSetting(int v) override;
  float FloatSetting() const override;
  void SetFloatSetting(float v) override;

 private:
  QPainter* Painter();
  QFont CurrentFont() const;
  QPointF Map(double x, double y) const;
  double MapW(double w) const;
  double MapH(double h) const;
  QPrinter printer_;
  std::unique_ptr<QPainter> painter_;
  std::function<QImage()> plotImage_;
  bool failed_ = false;
  double sx1_ = 0, sy1_ = 0, sx2_ = 12240, sy2_ = 15840;
  double fontPts_ = 10;
  double penPts_ = 0.25;
  ui::LineStyle style_ = ui::LineStyle::Solid;
  // Where the last patterned line ended and how far along its pattern, in pen widths.
  QPointF patternEnd_;
  double patternDone_ = 0;
};

}  // namespace qtui
