#pragma once

#include "capture/LoupeGeometry.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <optional>

class QPainter;

// A small code pattern that the loupe paints into its caption bar, so that the
// loupe can be found in a video of the screen where its position is unknown (a
// Wayland desktop). The hole is then a fixed offset from it.
namespace loupemarker {

constexpr int kColumns = 8;
constexpr int kRows = 2;
// Logical pixels to a cell's side. A desktop scaled by a fraction draws the window
// at the next whole ratio and scales it down, blending the edges of every cell:
// cells this large keep unblended middles at any ratio from 1 up.
constexpr int kCell = 4;

// The loupe's pattern and the preview's, told apart.
enum class Pattern { Loupe, Preview };

// The colour of one cell of the pattern.
QRgb colourAt(int column, int row, Pattern pattern = Pattern::Loupe);

// Where the pattern's cells start in a window `width` logical pixels wide: the right
// end of the caption bar, above the hole, within a one-pixel grey ring.
QPoint placeIn(int width);
inline QPoint placeIn(const LoupeFrame& frame)
{
    return placeIn(frame.outer.width());
}

void draw(QPainter& painter, int width, Pattern pattern = Pattern::Loupe);

// Where the pattern's cells start in `frame` (Format_RGB32 or Format_RGBX8888, a
// video of one output, `ratio` device pixels to a logical pixel), in the output's
// logical pixels; looked for first within `radius` logical pixels of `near`; nothing
// when it is not in the frame.
std::optional<QPoint> find(const QImage& frame, double ratio, std::optional<QPoint> near,
                           int radius = 64, Pattern pattern = Pattern::Loupe);

}  // namespace loupemarker

// Follows the loupe through the frames of a screen video: the device pixels under
// its hole in each frame.
class LoupeTracker
{
public:
    explicit LoupeTracker(const LoupeFrame& frame) : m_frame(frame) {}

    // The hole's pixels (Format_RGB32) in a frame of `ratio` device pixels to a
    // logical pixel; null when the loupe is not in the frame.
    QImage holePixels(const QImage& frame, double ratio);

    // Where the hole was in the last frame (device pixels); empty when not found.
    QRect lastHole() const;

private:
    LoupeFrame m_frame;
    double m_ratio = 1;
    std::optional<QPoint> m_last;
};
