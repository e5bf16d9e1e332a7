#pragma once
#include "program/program.h"

namespace display {

// Channel 1 response becomes the view, as after every pulse; the other response items keep
// their marks.
void ShowControlResponse(Program& p);

class Pen;

// The one redraw operation of the plot; it also measures the peaks, recomputes the
// reference kinematics and refreshes the status panel. The limit check of the test profile
// comes last, once the window shows the new picture and panel.
void RefreshPlot(Program& p);

// The target peak in G a refresh sets: the amplitude (converted from m/s^2 in Metric units),
// or the remote-control level while it overrides.
float CurrentTestLevelG(const Program& p);

// True when the channel group (View Channels) admits channel c (1..16) and its response item
// is checked: its legend shows.
bool ResponseChecked(const Program& p, int c);
// True when channel c's response is drawn: checked and admitted, and, before equalisation
// in Auto mode, one of the control channels 1 and 9. The screen, the printed page and the
// oscillator spectra draw the same channels.
bool ResponseShown(const Program& p, int c);

void DrawGrid(Pen& pen);
void DrawPlotTitle(Program& p, Pen& pen);
void DrawTraces(Program& p, Pen& pen);

// Profile row of the 4-point mean of the response samples (1 on, 0 off).
inline constexpr int kSmoothResponseRow = 67;

// Scale factors of the y axis: a value of 1/s lies at the top edge at YZoom 1.
enum class Quantity { Acceleration, ProfileVelocity, ResponseVelocity, Displacement };
double ScaleOf(Quantity q, float unitSystem);

// x of trace point i and y of value v with scale s, in picture pixels.
double PointX(const Program& p, double i);
double ValueY(const Program& p, double v, double s);

}  // namespace display
