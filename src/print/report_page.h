#pragma once
// The printed report page: frame and grid, the status block and legends copied from the
// window, and the traces of the current view redrawn at page scale.
#include "program/program.h"

namespace print {

// The printer the page's parts draw on: the kept-page target when set, else the platform's.
inline ui::Printer& Paper(Program& p) {
  return p.print.Target ? *p.print.Target : p.platform.GetPrinter();
}

// One page, or the window's image while a saved report picture is shown. A failed page
// gets the Retry/Cancel box; Retry prints the whole page again.
void PrintReport(Program& p);

// The parts of the page, in the order PrintReport prints them. DrawPrintFrame reads the
// page size into PlotWidth and PlotHeight; the other two use it.
void DrawPrintFrame(Program& p);
void PrintReportText(Program& p);
void PrintPlot(Program& p);

// Page colour of a screen colour: the screen's own in colour mode, black in monochrome.
// White stays black in colour mode too, since the paper is white.
int PrintInk(const Program& p, int screenColor);

// Page x of trace point i and page y of value v with scale s (limited to the plot box).
double PageX(const Program& p, double i);
double PageY(const Program& p, double v, double s);

}  // namespace print
