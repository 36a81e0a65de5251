#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>

namespace testsupport {

// A window of known device pixels: every pixel's colour tells where it is.
class PatternWindow : public QWidget
{
public:
    explicit PatternWindow(const QRect& area)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)
    {
        setGeometry(area);
    }
    // The colour at device pixel (x, y) of the window.
    static QRgb colourAt(int x, int y)
    {
        return qRgb(x % 251, y % 241, (x / 251) * 40 + (y / 241) * 7);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const qreal ratio = devicePixelRatioF();
        QImage pattern(size() * ratio, QImage::Format_RGB32);
        for (int y = 0; y < pattern.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pattern.scanLine(y));
            for (int x = 0; x < pattern.width(); ++x) {
                line[x] = colourAt(x, y);
            }
        }
        pattern.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(0, 0, pattern);
    }
};

// The pixels of `area` (colourAt(x, y) of each) stretched to `target`, each target
// pixel taking the pixel under its centre.
template <typename ColourAt>
QImage stretchedPixels(const QRect& area, const QSize& target, ColourAt colourAt)
{
    QImage expected(target, QImage::Format_RGB32);
    for (int y = 0; y < target.height(); ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * area.height() / (2LL * target.height()));
        for (int x = 0; x < target.width(); ++x) {
            const int sx = static_cast<int>((2LL * x + 1) * area.width() / (2LL * target.width()));
            expected.setPixel(x, y, colourAt(area.x() + sx, area.y() + sy));
        }
    }
    return expected;
}

// The pattern window's device pixels in `device` (relative to the window's top-left
// device pixel) stretched to `target`.
inline QImage expectedPreview(const QRect& device, const QSize& target)
{
    return stretchedPixels(device, target, PatternWindow::colourAt);
}

// The pixels of `source` in `area` stretched to `target`, black beyond its edges.
inline QImage expectedPreview(const QImage& source, const QRect& area, const QSize& target)
{
    return stretchedPixels(area, target, [&source](int x, int y) {
        return source.valid(x, y) ? source.pixel(x, y) : qRgb(0, 0, 0);
    });
}

}  // namespace testsupport

using testsupport::expectedPreview;
using testsupport::PatternWindow;
