#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the history window's parts go, reckoned in twips as the window was laid
// out and turned into pixels at the end.
namespace historygeometry {

// A slot's frame: a square of 1875 twips (125 pixels).
constexpr int kFrameSideTwips = 1875;

// The frame of slot `index` (0 for slot 1) in the window's client area, in pixels:
// two columns, four rows, filled row by row.
QRect frameRect(int index);

// The thumbnail's box inside a frame, in pixels, for a canvas of outer size
// `canvas`: the canvas's shape, filling the frame along its long side and centred
// along the short side. A square (or an empty size) fills the frame.
QRect thumbnailBox(QSize canvas);

// The main window as the snap test sees it, in twips.
struct MainWindowTwips
{
    int top = 0;
    int left = 0;
    int outerWidth = 0;
    int clientWidth = 0;
};

// Where the history window (top-left `history`, twips) snaps to: against the main
// window's right edge when it lies within 1000 twips of the main window's top and
// of its left plus client width; nothing otherwise.
std::optional<QPoint> snapTarget(const MainWindowTwips& main, QPoint history);

// The main window's frame centred on the screen area, as a new window is placed.
QRect centredIn(QSize frame, QRect available);

// Where the main window's frame (`main`, pixels) goes so that it and the history
// window (frame size `history`) against its right edge stand inside the screen
// area `available`: moved as little as possible. When the pair is wider (or
// taller) than the area, the main window keeps to the area's left (top) edge.
QPoint mainWindowPlace(QRect main, QSize history, QRect available);

// Where the history window's frame goes beside the main window's frame `main`:
// against its right edge, top level with it, when that lies inside the screen
// area; else against its left edge when there is room there; else as near the
// right edge as the area allows. Its top stays inside the area as well.
QPoint dockedPlace(QRect main, QSize history, QRect available);

}  // namespace historygeometry
