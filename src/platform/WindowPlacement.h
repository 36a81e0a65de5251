#pragma once

class QMargins;
class QPoint;
class QRect;
class QSize;
class QWidget;

// Where top-level windows appear: centred, with the window manager's frame
// counted as part of the window.
namespace placement {

// The frame margins a window reports, or none while the frame is not known: between
// reparenting a window into its frame and sizing the frame, X11 reports a frame smaller
// than the window (negative margins).
QMargins knownMargins(const QMargins& reported);

// The top-left of a frame of `frameSize` centred on `target`, moved inside `area`
// as far as it fits (the left and top edges win when it is larger).
QPoint centredTopLeft(const QSize& frameSize, const QRect& target, const QRect& area);

// Centres the top-level window, frame included, on the available area of its
// screen. Call before showing it. The frame is known only once the window
// manager has framed the window, so it is centred again then; a window the user
// has moved since is left where it is.
void centreOnScreen(QWidget* window);

// The window's frame as the window manager has framed it so far (the window alone before).
// QWidget's own frame geometry can lag behind: only some of its events bring it up to date.
QRect frameGeometry(const QWidget* window);

// Moves the window so that its frame's top left is at `topLeft`, counting the frame as it
// is known now (or as another window of the program has it, before this one is framed).
void moveFrameTo(QWidget* window, const QPoint& topLeft);

// The same over `owner`'s frame (on the screen when owner is null or hidden), following
// the owner while the window is shown.
void centreOver(QWidget* window, QWidget* owner);

}  // namespace placement
