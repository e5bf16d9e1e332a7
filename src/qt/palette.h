#pragma once
#include <QColor>

namespace qtui {

// The classic 16-colour palette, indexes 0..15.
inline QColor PaletteColor(int index) {
  static const QColor kColors[16] = {
      QColor(0, 0, 0),       QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 128),
      QColor(128, 0, 0),     QColor(128, 0, 128), QColor(128, 128, 0), QColor(192, 192, 192),
      QColor(128, 128, 128), QColor(0, 0, 255),   QColor(0, 255, 0),   QColor(0, 255, 255),
      QColor(255, 0, 0),     QColor(255, 0, 255), QColor(255, 255, 0), QColor(255, 255, 255)};
  return kColors[(index % 16 + 16) % 16];
}

// A colour held as the classic RGB long (red in the low byte).
inline QColor LongColor(int value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace qtui
