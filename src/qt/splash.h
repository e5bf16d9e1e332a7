#pragma once
#include <QWidget>

namespace qtui {
// The start-up splash: the dealer's name, the model and the line below it.
QWidget* MakeSplash(int dealerIndex);
}  // namespace qtui
