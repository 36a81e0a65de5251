#include "edit/BorderFill.h"

#include "common/Numbers.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"

#include <algorithm>

namespace {

// A coordinate in thousandths of `extent` as a pixel boundary.
int toPixels(int thousandths, int extent)
{
    return static_cast<int>(
        numbers::roundHalfEven(static_cast<double>(thousandths) * extent / 1000.0));
}

// The pixels of the box between two corners given in thousandths, clipped to the image:
// rows and columns from the lower boundary up to, not including, the higher one.
QRect boxToPixels(int x1, int y1, int x2, int y2, const QSize& size)
{
    const int left = toPixels(std::min(x1, x2), size.width());
    const int right = toPixels(std::max(x1, x2), size.width());
    const int top = toPixels(std::min(y1, y2), size.height());
    const int bottom = toPixels(std::max(y1, y2), size.height());
    const QRect box(QPoint(left, top), QPoint(right - 1, bottom - 1));
    return box.intersected(QRect(QPoint(0, 0), size));
}

void fillBox(QImage& image, const QRect& box, QRgb colour)
{
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + box.left(), row + box.right() + 1, colour);
    }
}

std::size_t indexOf(BorderSide side)
{
    return static_cast<std::size_t>(side);
}

}  // namespace

QRect borderfill::stripRect(BorderSide side, int value, const QSize& size)
{
    switch (side) {
        case BorderSide::Top:
            return boxToPixels(-20, -20, 1000, value - 20, size);
        case BorderSide::Bottom:
            return boxToPixels(0, 1020, 1020, 1020 - value, size);
        case BorderSide::Right:
            return boxToPixels(1020, 0, 1020 - value, 1020, size);
        case BorderSide::Left:
            return boxToPixels(-20, -20, value - 20, 1000, size);
    }
    return {};
}

BorderFill::BorderFill(EditImages& images, const ToolColours& colours)
    : m_images(images), m_colours(colours)
{
}

int BorderFill::width(BorderSide side) const
{
    return m_widths[indexOf(side)];
}

bool BorderFill::setWidth(BorderSide side, int value)
{
    const int clamped = std::clamp(value, 0, borderfill::kMaxWidth);
    if (m_widths[indexOf(side)] == clamped) {
        return false;
    }
    m_widths[indexOf(side)] = clamped;
    RedrawBorderFill();
    return true;
}

void BorderFill::RedrawBorderFill()
{
    const ColourRef colour = m_colours.fill();
    DrawTopStrip(colour);
    drawStrip(BorderSide::Bottom, colour);
    drawStrip(BorderSide::Right, colour);
    drawStrip(BorderSide::Left, colour);
}

void BorderFill::DrawTopStrip(ColourRef colour)
{
    // Only the top strip starts from the undo copy: this erases every earlier strip.
    if (!m_images.picUndo().isNull()) {
        m_images.canvas() = m_images.picUndo();
    }
    m_images.pen.penColour = colour;
    m_images.pen.fillColour = colour;
    drawStrip(BorderSide::Top, colour);
}

void BorderFill::drawStrip(BorderSide side, ColourRef colour)
{
    QImage& canvas = m_images.canvas();
    if (canvas.isNull()) {
        return;
    }
    if (canvas.format() != QImage::Format_RGB32) {
        canvas = canvas.convertToFormat(QImage::Format_RGB32);
    }
    fillBox(canvas, borderfill::stripRect(side, width(side), canvas.size()),
            colourref::toQColor(colour).rgb());
}

void BorderFill::resetWidths()
{
    for (BorderSide side : kBorderSides) {
        setWidth(side, 0);
    }
}

void BorderFill::ResetBorderFill()
{
    resetWidths();
    if (!m_images.canvas().isNull()) {
        m_images.canvas().fill(Qt::white);
    }
    m_images.pen.penPosition = QPoint(0, 0);
}
