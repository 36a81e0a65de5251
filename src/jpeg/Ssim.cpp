#include "jpeg/Ssim.h"

#include <vector>

namespace ssim {
namespace {

constexpr int kWindow = 8;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);

std::vector<double> lumaOf(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<double> samples(static_cast<std::size_t>(rgb.width()) *
                                static_cast<std::size_t>(rgb.height()));
    std::size_t at = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            samples[at++] =
                0.299 * qRed(line[x]) + 0.587 * qGreen(line[x]) + 0.114 * qBlue(line[x]);
        }
    }
    return samples;
}

// Sums over rectangles in constant time: table(x, y) is the sum of all values above
// and left of (x, y).
class Integral
{
public:
    template <typename Value>
    Integral(int width, int height, Value value)
        : m_stride(width + 1), m_sums(static_cast<std::size_t>((width + 1) * (height + 1)), 0.0)
    {
        for (int y = 0; y < height; ++y) {
            double row = 0;
            for (int x = 0; x < width; ++x) {
                row += value(static_cast<std::size_t>(y * width + x));
                at(x + 1, y + 1) = at(x + 1, y) + row;
            }
        }
    }

    double window(int x, int y) const
    {
        return get(x + kWindow, y + kWindow) - get(x, y + kWindow) - get(x + kWindow, y) +
               get(x, y);
    }

private:
    double& at(int x, int y) { return m_sums[static_cast<std::size_t>(y * m_stride + x)]; }
    double get(int x, int y) const { return m_sums[static_cast<std::size_t>(y * m_stride + x)]; }

    int m_stride;
    std::vector<double> m_sums;
};

}  // namespace

double luma(const QImage& a, const QImage& b)
{
    if (a.isNull() || b.isNull() || a.size() != b.size()) {
        return 0;
    }
    const int width = a.width();
    const int height = a.height();
    if (width < kWindow || height < kWindow) {
        return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32)
                   ? 1.0
                   : 0.0;
    }
    const std::vector<double> x = lumaOf(a);
    const std::vector<double> y = lumaOf(b);
    const Integral sumX(width, height, [&](std::size_t i) { return x[i]; });
    const Integral sumY(width, height, [&](std::size_t i) { return y[i]; });
    const Integral sumXX(width, height, [&](std::size_t i) { return x[i] * x[i]; });
    const Integral sumYY(width, height, [&](std::size_t i) { return y[i] * y[i]; });
    const Integral sumXY(width, height, [&](std::size_t i) { return x[i] * y[i]; });
    constexpr double n = kWindow * kWindow;
    double total = 0;
    long windows = 0;
    for (int wy = 0; wy + kWindow <= height; ++wy) {
        for (int wx = 0; wx + kWindow <= width; ++wx) {
            const double mx = sumX.window(wx, wy) / n;
            const double my = sumY.window(wx, wy) / n;
            const double vx = sumXX.window(wx, wy) / n - mx * mx;
            const double vy = sumYY.window(wx, wy) / n - my * my;
            const double cov = sumXY.window(wx, wy) / n - mx * my;
            total += ((2 * mx * my + kC1) * (2 * cov + kC2)) /
                     ((mx * mx + my * my + kC1) * (vx + vy + kC2));
            ++windows;
        }
    }
    return total / static_cast<double>(windows);
}

}  // namespace ssim
