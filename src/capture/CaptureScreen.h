#pragma once

#include <QRect>

class QScreen;

namespace capturescreen {

// The screen a live capture opens on: that of the active window (the scale dialog,
// whose confirm starts it), else the primary screen. Null when there is no screen.
QScreen* screen();

// The screen's available area (without panels and docks); a 1024 x 768 area when
// there is no screen.
QRect availableArea(const QScreen* screen);

}  // namespace capturescreen
