#include "capture/LoupeMarker.h"

#include "common/DevicePixels.h"
#include "common/Numbers.h"
#include "screen/StreamFrame.h"

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
// The ring around the cells: no cell's colour, whatever the caption's colours are.
constexpr QRgb kRing = 0xFF808080;
// The two high bits of every channel. A saturated channel keeps them through the
// slight blends of a scaled desktop; a blend of two cells' colours halfway loses them.
constexpr quint32 kSureBits = 0x00C0C0C0;

// The colour as the frame's memory holds it, without its unused byte.
quint32 raw(QRgb colour, QImage::Format format)
{
    const quint32 rgb = colour & 0x00FFFFFFU;
    if (format == QImage::Format_RGB32) {
        return rgb;
    }
    // RGBX8888: bytes red, green, blue, unused.
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// The device pixels' edges between the cells of a pattern whose cells start at a
// logical point, mapped as the desktop maps window edges.
struct Grid
{
    std::array<int, kColumns + 1> x{};
    std::array<int, kRows + 1> y{};
};

class Matcher
{
public:
    Matcher(const QImage& frame, double ratio, Pattern pattern) : m_frame(frame), m_ratio(ratio)
    {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                m_raw[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                    raw(colourAt(column, row, pattern), frame.format());
            }
        }
    }

    // The first pattern whose cells start in `area` (device pixels), row by row: the
    // first pixel there of the first cell's colour, then the start that fits best
    // among those whose first cell can hold that pixel.
    std::optional<QPoint> search(const QRect& area) const
    {
        const int ahead = static_cast<int>(numbers::roundHalfEven(1.5 * kCell * m_ratio));
        const int down = static_cast<int>(numbers::roundHalfEven(0.5 * kCell * m_ratio));
        // Corners from which the second cell's middle lies in the frame.
        const QRect corners =
            area.intersected(QRect(0, 0, m_frame.width() - ahead, m_frame.height() - down));
        const quint32 first = cell(0, 0);
        const quint32 second = cell(1, 0);
        for (int y = corners.top(); y <= corners.bottom(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(m_frame.constScanLine(y));
            const auto* below = reinterpret_cast<const quint32*>(m_frame.constScanLine(y + down));
            for (int x = corners.left(); x <= corners.right(); ++x) {
                // The second cell's middle, when (x, y) is near the first cell's top left.
                if (((line[x] ^ first) & kSureBits) == 0 &&
                    ((below[x + ahead] ^ second) & kSureBits) == 0) {
                    if (auto found = bestAround(x, y)) {
                        return found;
                    }
                }
            }
        }
        return std::nullopt;
    }

    // Every pixel of the cells starting at `start` shows its cell's colour: the
    // pattern lies there, unscaled, and nowhere a pixel off (which would put a strip
    // of every cell into its neighbour).
    bool exactlyAt(const QPoint& start) const
    {
        const auto cells = grid(start);
        return cells && score(*cells) == (cells->x.back() - cells->x.front()) *
                                             (cells->y.back() - cells->y.front());
    }

private:
    quint32 cell(int column, int row) const
    {
        return m_raw[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }

    bool sure(int x, int y, quint32 want) const
    {
        if (x < 0 || y < 0 || x >= m_frame.width() || y >= m_frame.height()) {
            return false;
        }
        const quint32 pixel = reinterpret_cast<const quint32*>(m_frame.constScanLine(y))[x];
        return ((pixel ^ want) & kSureBits) == 0;
    }

    std::optional<Grid> grid(const QPoint& start) const
    {
        Grid grid;
        for (int column = 0; column <= kColumns; ++column) {
            grid.x[static_cast<std::size_t>(column)] =
                devicepixels::toDevice(start.x() + column * kCell, m_ratio);
        }
        for (int row = 0; row <= kRows; ++row) {
            grid.y[static_cast<std::size_t>(row)] =
                devicepixels::toDevice(start.y() + row * kCell, m_ratio);
        }
        if (grid.x.front() < 0 || grid.y.front() < 0 || grid.x.back() > m_frame.width() ||
            grid.y.back() > m_frame.height()) {
            return std::nullopt;
        }
        return grid;
    }

    template <typename Visit>
    static void eachCell(const Grid& grid, Visit visit)
    {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const auto c = static_cast<std::size_t>(column);
                const auto r = static_cast<std::size_t>(row);
                visit(column, row,
                      QRect(QPoint(grid.x[c], grid.y[r]),
                            QPoint(grid.x[c + 1] - 1, grid.y[r + 1] - 1)));
            }
        }
    }

    // Every cell's middle pixel shows the cell's colour.
    bool middlesMatch(const Grid& grid) const
    {
        bool all = true;
        eachCell(grid, [&](int column, int row, const QRect& cellArea) {
            all = all && sure(cellArea.center().x(), cellArea.center().y(), cell(column, row));
        });
        return all;
    }

    // How many pixels show the colour of the cell they lie in. A start off by one
    // logical pixel puts a strip of every cell into its neighbour: the true start
    // scores highest.
    int score(const Grid& grid) const
    {
        int matching = 0;
        eachCell(grid, [&](int column, int row, const QRect& cellArea) {
            for (int y = cellArea.top(); y <= cellArea.bottom(); ++y) {
                for (int x = cellArea.left(); x <= cellArea.right(); ++x) {
                    matching += sure(x, y, cell(column, row)) ? 1 : 0;
                }
            }
        });
        return matching;
    }

    // The best start whose first cell can hold device pixel (x, y).
    std::optional<QPoint> bestAround(int x, int y) const
    {
        const QPoint guess(numbers::floorToInt(x / m_ratio), numbers::floorToInt(y / m_ratio));
        std::optional<QPoint> best;
        int bestScore = -1;
        for (int dy = -kCell - 1; dy <= 1; ++dy) {
            for (int dx = -kCell - 1; dx <= 1; ++dx) {
                const QPoint start = guess + QPoint(dx, dy);
                const auto cells = grid(start);
                if (!cells || !middlesMatch(*cells)) {
                    continue;
                }
                const int points = score(*cells);
                if (points > bestScore) {
                    bestScore = points;
                    best = start;
                }
            }
        }
        return best;
    }

    const QImage& m_frame;
    double m_ratio;
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
    // The ring ends where the hole does: with the hole at a screen's right edge, the
    // pattern is still wholly on the screen.
    return {std::max(2, width - LoupeFrame::kStrip - 1 - kColumns * kCell), 2};
}

void draw(QPainter& painter, int width, Pattern pattern)
{
    const QPoint origin = placeIn(width);
    const QSize cells(kColumns * kCell, kRows * kCell);
    painter.fillRect(QRect(origin - QPoint(1, 1), cells + QSize(2, 2)), QColor::fromRgb(kRing));
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            painter.fillRect(QRect(origin + QPoint(column, row) * kCell, QSize(kCell, kCell)),
                             QColor::fromRgb(colourAt(column, row, pattern)));
        }
    }
}

std::optional<QPoint> find(const QImage& frame, double ratio, std::optional<QPoint> near,
                           int radius, Pattern pattern)
{
    if (frame.isNull() || !(ratio >= 1) ||
        (frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_RGBX8888)) {
        return std::nullopt;
    }
    const Matcher matcher(frame, ratio, pattern);
    if (near && matcher.exactlyAt(*near)) {
        return near;  // where it was, as on an unscaled screen most of the time
    }
    if (near) {
        const QPoint from =
            devicepixels::toDevice(*near - QPoint(radius, radius) - QPoint(1, 1), ratio);
        const QPoint to =
            devicepixels::toDevice(*near + QPoint(radius, radius) + QPoint(1, 1), ratio);
        if (auto found = matcher.search(QRect(from, to))) {
            return found;
        }
    }
    return matcher.search(frame.rect());
}

}  // namespace loupemarker

QImage LoupeTracker::holePixels(const QImage& frame, double ratio)
{
    if (ratio != m_ratio) {
        m_ratio = ratio;
        m_last.reset();
    }
    m_last = loupemarker::find(frame, ratio, m_last);
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
    const QPoint loupe = *m_last - loupemarker::placeIn(m_frame);
    return devicepixels::edgesToDevice(m_frame.hole.translated(loupe), m_ratio);
}
