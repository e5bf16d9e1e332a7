#pragma once
// Drawing into the plot picture in its own pixel units.
#include "program/program.h"

namespace display {

// Palette indexes the plot uses.
namespace color {
inline constexpr int Black = 0;
inline constexpr int Green = 2;
inline constexpr int LightGreen = 10;
inline constexpr int Magenta = 5;
inline constexpr int Grid = 3;
inline constexpr int Red = 4;
inline constexpr int LightBlue = 9;
inline constexpr int LightRed = 12;
inline constexpr int LightMagenta = 13;
inline constexpr int Yellow = 14;
inline constexpr int White = 15;
}  // namespace color

// Acceleration trace colour of response channel c (1..16).
int ChannelColor(int c);

// The plot picture with its size at the start of the drawing. Segments are handed to the
// canvas only when finite, and cut to a frame around the picture, so a wild value (a huge
// zoom, a broken scale) can neither reach the toolkit as a runaway coordinate nor cost
// time off screen; what lies inside the picture is drawn exactly.
class Pen {
 public:
  explicit Pen(Program& p);
  double W() const { return w_; }
  double H() const { return h_; }
  void Line(double x1, double y1, double x2, double y2, int color);
  void Text(double x, double y, const std::string& text, int color);

 private:
  ui::Canvas& canvas_;
  double w_, h_;
};

// Title colour on the current background: white on black, black on white.
int TitleColor(const Program& p);

}  // namespace display
