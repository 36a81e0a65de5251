#pragma once

#include <QPoint>
#include <QRect>

// Logical (device-independent) pixels to the device pixels of a screen scaled by
// `ratio`. Window edges are placed the way the window system places them: each edge
// on its own, to the nearest device pixel, halves away from zero. Two rectangles
// that share an edge in logical pixels therefore share it in device pixels, which is
// what keeps a window's cut-out, its mask and the area taken through it identical.
namespace devicepixels {

int toDevice(int logical, double ratio);

QPoint toDevice(const QPoint& logical, double ratio);

// The rectangle whose left, top, right and bottom edges are each mapped on their own.
QRect edgesToDevice(const QRect& logical, double ratio);

// The scale of an output whose whole picture is `device` pixels wide and `logical`
// logical pixels wide. sway scales in any step and cuts the logical width down to
// whole pixels: the step of 1/120 (the Wayland protocol's) that gives that width back
// is its scale. GNOME chooses scales that give whole logical widths: the quotient.
// `fallback` when either width is unknown.
double outputRatio(int device, int logical, double fallback);

}  // namespace devicepixels
