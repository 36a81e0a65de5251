#pragma once

#include "capture/LoupeGeometry.h"

#include <QImage>
#include <QPoint>
#include <optional>

class QPainter;

// A small code pattern that the loupe paints into its caption bar, so that the
// loupe can be found in a video of the screen where its position is unknown (a
// Wayland desktop). The hole is then a fixed offset from it.
namespace loupemarker {

constexpr int kColumns = 8;
constexpr int kRows = 2;

// The loupe's pattern and the preview's, told apart.
enum class Pattern { Loupe, Preview };

// The colour of one cell of the pattern.
QRgb colourAt(int column, int row, Pattern pattern = Pattern::Loupe);

// Where the pattern sits in a window `width` logical pixels wide: the right end of
// the caption bar, one logical pixel per cell.
QPoint placeIn(int width);
inline QPoint placeIn(const LoupeFrame& frame)
{
    return placeIn(frame.outer.width());
}

void draw(QPainter& painter, int width, Pattern pattern = Pattern::Loupe);

// The pattern's top left in `frame` (Format_RGB32 or Format_RGBX8888, device
// pixels, `cell` device pixels to a cell), looked for first within `radius` of
// `near`; nothing when it is not in the frame.
std::optional<QPoint> find(const QImage& frame, int cell, std::optional<QPoint> near,
                           int radius = 64, Pattern pattern = Pattern::Loupe);

}  // namespace loupemarker

// Follows the loupe through the frames of a screen video: the device pixels under
// its hole in each frame.
class LoupeTracker
{
public:
    LoupeTracker(const LoupeFrame& frame, int cell) : m_frame(frame), m_cell(cell) {}

    // The hole's pixels (Format_RGB32); null when the loupe is not in the frame.
    QImage holePixels(const QImage& frame);

    // Where the hole was in the last frame (device pixels); empty when not found.
    QRect lastHole() const;

private:
    LoupeFrame m_frame;
    int m_cell;
    std::optional<QPoint> m_last;
};
