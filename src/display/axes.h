#pragma once
// Axis labels, legends, zoom and the cursor read-out.
#include "program/program.h"

namespace display {

class Pen;

// X tick labels and unit; in the spectrum view they read frequencies (XZoom as 20).
void DrawXAxisLabels(Program& p);
// Y tick labels, quantity and channel legends and the two subtitles.
void DrawAxisLabels(Program& p, Pen& pen);

// The zoom factors within their ranges. They come from the profile file as well as from
// the zoom steps; a value outside would put every trace off the picture or divide by zero.
float XZoomInRange(float z);
float YZoomInRange(float z);

void XZoomIn(Program& p);
void XZoomOut(Program& p);
void YZoomIn(Program& p);
void YZoomOut(Program& p);
// The up arrow of a zoom spin button zooms in, the down arrow out.
void ZoomSpin(Program& p, ui::SpinId spin, bool up);

// A press in the plot at (x, y) pixels shows the time and acceleration under it.
void PlotMouseDown(Program& p, double x, double y);
void ShowCursorReadout(Program& p);
// For the status timer: hides a read-out shown 3 s ago or more and redraws.
void HideCursorIfDue(Program& p);
// Seconds since the read-out was shown, across midnight.
double SecondsSinceCursor(Program& p);

}  // namespace display
