#include "capture/LoupeMarker.h"

#include "platform/StreamFrame.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace loupemarker {
namespace {

// Saturated colours in an order that ordinary pictures do not show.
using Cells = std::array<std::array<QRgb, kColumns>, kRows>;
constexpr Cells kLoupePattern = {{
    {0xFF00FF, 0x00FF00, 0x0000FF, 0xFFFF00, 0x000000, 0x00FFFF, 0xFF0000, 0xFFFFFF},
    {0x00FF00, 0xFF0000, 0xFFFFFF, 0x0000FF, 0xFF00FF, 0x000000, 0xFFFF00, 0x00FFFF},
}};
constexpr Cells kPreviewPattern = {{
    {0x00FFFF, 0xFF0000, 0xFFFF00, 0x000000, 0x0000FF, 0xFF00FF, 0xFFFFFF, 0x00FF00},
    {0xFFFF00, 0x0000FF, 0x000000, 0xFF00FF, 0x00FF00, 0xFFFFFF, 0x00FFFF, 0xFF0000},
}};
constexpr quint32 kColourBits = 0x00FFFFFF;

// The colour as the frame's memory holds it, without its unused byte.
quint32 raw(QRgb colour, QImage::Format format)
{
    const quint32 rgb = colour & kColourBits;
    if (format == QImage::Format_RGB32) {
        return rgb;
    }
    // RGBX8888: bytes red, green, blue, unused.
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

class Matcher
{
public:
    Matcher(const QImage& frame, int cell, Pattern pattern) : m_frame(frame), m_cell(cell)
    {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                m_raw[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                    raw(colourAt(column, row, pattern), frame.format());
            }
        }
    }

    quint32 at(int x, int y) const
    {
        return reinterpret_cast<const quint32*>(m_frame.constScanLine(y))[x] & kColourBits;
    }

    // The whole pattern at (x, y): the centre pixel of every cell.
    bool matches(int x, int y) const
    {
        if (x < 0 || y < 0 || x + kColumns * m_cell > m_frame.width() ||
            y + kRows * m_cell > m_frame.height()) {
            return false;
        }
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const quint32 want =
                    m_raw[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
                if (at(x + column * m_cell + m_cell / 2, y + row * m_cell + m_cell / 2) != want) {
                    return false;
                }
            }
        }
        return true;
    }

    // The first match in `area` (top-left corners), row by row.
    std::optional<QPoint> search(const QRect& area) const
    {
        const QRect corners = area.intersected(QRect(0, 0, m_frame.width() - kColumns * m_cell + 1,
                                                     m_frame.height() - kRows * m_cell + 1));
        const quint32 first = m_raw[0][0];
        const int probe = m_cell / 2;
        for (int y = corners.top(); y <= corners.bottom(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(m_frame.constScanLine(y + probe));
            for (int x = corners.left(); x <= corners.right(); ++x) {
                if ((line[x + probe] & kColourBits) == first && matches(x, y)) {
                    return QPoint(x, y);
                }
            }
        }
        return std::nullopt;
    }

private:
    const QImage& m_frame;
    int m_cell;
    std::array<std::array<quint32, kColumns>, kRows> m_raw{};
};

}  // namespace

QRgb colourAt(int column, int row, Pattern pattern)
{
    const Cells& cells = pattern == Pattern::Loupe ? kLoupePattern : kPreviewPattern;
    return 0xFF000000U | cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

QPoint placeIn(int width)
{
    return {std::max(1, width - 2 - kColumns), 2};
}

void draw(QPainter& painter, int width, Pattern pattern)
{
    const QPoint origin = placeIn(width);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            painter.fillRect(QRect(origin + QPoint(column, row), QSize(1, 1)),
                             QColor::fromRgb(colourAt(column, row, pattern)));
        }
    }
}

std::optional<QPoint> find(const QImage& frame, int cell, std::optional<QPoint> near, int radius,
                           Pattern pattern)
{
    if (frame.isNull() || cell < 1 ||
        (frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_RGBX8888)) {
        return std::nullopt;
    }
    const Matcher matcher(frame, cell, pattern);
    if (near) {
        if (matcher.matches(near->x(), near->y())) {
            return near;
        }
        const QRect around(*near - QPoint(radius, radius), QSize(2 * radius + 1, 2 * radius + 1));
        if (auto found = matcher.search(around)) {
            return found;
        }
    }
    return matcher.search(frame.rect());
}

}  // namespace loupemarker

QImage LoupeTracker::holePixels(const QImage& frame)
{
    m_last = loupemarker::find(frame, m_cell, m_last);
    if (!m_last) {
        return {};
    }
    return streamframe::copyRegion(frame, lastHole());
}

QRect LoupeTracker::lastHole() const
{
    if (!m_last) {
        return {};
    }
    const QPoint offset = (m_frame.hole.topLeft() - loupemarker::placeIn(m_frame)) * m_cell;
    return {*m_last + offset, m_frame.hole.size() * m_cell};
}
