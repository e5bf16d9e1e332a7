#pragma once
// The frame the log-log views share on the report page: the plot box, its grid of decades
// and 1-2-5 labels, and the pens.
#include "program/program.h"

namespace print {

inline constexpr double kLogTracePen = 0.75;

// The plot box of a log-log page in page units, over the axes' ranges.
struct LogBox {
  double W = 0, H = 0;  // the page
  double XLow = 1, XHigh = 10, YLow = 1, YHigh = 10;
  double X(double f) const;
  double Y(double v) const;
  double Bottom() const;  // the box's lower edge
};
LogBox LogBoxOnPage(const Program& p, double xLow, double xHigh, double yLow, double yHigh);

// The grid lines and tick labels, in black with the grid pen.
void PrintLogGrid(Program& p, const LogBox& b);

}  // namespace print
