#include "png/PngFilters.h"
#include "png/PngPixels.h"
#include "png/PngWriter.h"
#include "png/RowFilters.h"
#include "saving/mdlSavedll.h"

#include <QTest>

#include <cstdlib>
#include <random>

using pngfilters::Strategy;
using rowfilters::kFilterCount;

namespace {

// PNG's reconstruction of one filtered byte, as a decoder does it.
int reconstruct(int filter, int filtered, int a, int b, int c)
{
    int prediction = 0;
    switch (filter) {
        case 1:
            prediction = a;
            break;
        case 2:
            prediction = b;
            break;
        case 3:
            prediction = (a + b) / 2;
            break;
        case 4: {
            const int p = a + b - c;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            prediction = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
            break;
        }
        default:
            break;
    }
    return (filtered + prediction) & 0xff;
}

// Rows of random bytes with runs and smooth stretches, so every filter has work.
std::vector<std::uint8_t> mixedRows(std::size_t rowBytes, std::size_t height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> rows(rowBytes * height);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const unsigned kind = random() % 4;
        rows[i] = kind == 0 || i < rowBytes ? static_cast<std::uint8_t>(random())
                                            : static_cast<std::uint8_t>(rows[i - rowBytes] + kind);
    }
    return rows;
}

// A picture of noise, edges and flat parts with more than 256 colours.
QImage rgbPicture(int width, int height)
{
    std::mt19937 random(5);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int noise = static_cast<int>(random() % 5);
            image.setPixel(x, y,
                           x < width / 3
                               ? qRgb(200, 30, 30)
                               : qRgb((x * 3 + noise) % 256, (y * 5) % 256, (x + y + noise) % 256));
        }
    }
    return image;
}

// A layout that repeats every 32 rows, as rows of controls do: 8 rows of shading (which
// Up takes almost for nothing) over 24 rows drawn from 16 patterns (which None takes
// almost for nothing once each has been seen, and Up does not).
QImage repeatingLayout()
{
    std::mt19937 random(7);
    std::vector<std::vector<QRgb>> patterns(16, std::vector<QRgb>(240));
    std::vector<int> shade(240);
    for (auto& pattern : patterns) {
        for (QRgb& pixel : pattern) {
            pixel = random() & 0xffffff;
        }
    }
    for (int& value : shade) {
        value = static_cast<int>(random() % 64);
    }
    QImage image(240, 320, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int v = shade[static_cast<std::size_t>(x)] + 5 * (y % 32);
            line[x] = y % 32 < 8 ? qRgb(v, v + 20, v + 40)
                                 : patterns[static_cast<std::size_t>((y * 7 + y / 32) % 16)]
                                           [static_cast<std::size_t>(x)] |
                                       0xff000000;
        }
    }
    return image;
}

}  // namespace

class TestPngFilters : public QObject
{
    Q_OBJECT

private slots:
    void everyFilterOfARowDecodesBackAndIsCostedBySumOfMagnitudes_data()
    {
        QTest::addColumn<int>("rowBytes");
        QTest::addColumn<int>("distance");
        // Widths around the 16-byte blocks, and the pixel sizes of grey, palette and RGB.
        for (const int rowBytes : {1, 3, 15, 16, 17, 47, 48, 721}) {
            for (const int distance : {1, 3}) {
                QTest::addRow("%d bytes, distance %d", rowBytes, distance) << rowBytes << distance;
            }
        }
    }
    void everyFilterOfARowDecodesBackAndIsCostedBySumOfMagnitudes()
    {
        QFETCH(int, rowBytes);
        QFETCH(int, distance);
        const auto bytes = static_cast<std::size_t>(rowBytes);
        const auto step = static_cast<std::size_t>(distance);
        const std::size_t height = 5;
        const std::vector<std::uint8_t> rows = mixedRows(bytes, height, 3);
        rowfilters::RowFilters filters(bytes, step);
        for (std::size_t y = 0; y < height; ++y) {
            const std::uint8_t* row = rows.data() + y * bytes;
            filters.next(row);
            for (std::size_t f = 0; f < kFilterCount; ++f) {
                const std::uint8_t* out = filters.filtered(static_cast<rowfilters::Filter>(f));
                std::vector<int> back(bytes);
                std::uint64_t sum = 0;
                for (std::size_t i = 0; i < bytes; ++i) {
                    const int a = i >= step ? back[i - step] : 0;
                    const int b = y > 0 ? row[i - bytes] : 0;
                    const int c = y > 0 && i >= step ? row[i - bytes - step] : 0;
                    back[i] = reconstruct(static_cast<int>(f), out[i], a, b, c);
                    sum += out[i] < 128 ? out[i] : 256u - out[i];
                    QCOMPARE(back[i], int(row[i]));
                }
                QCOMPARE(filters.costs()[f], sum);
            }
            const auto cheapest = filters.costs()[filters.cheapest()];
            for (const std::uint64_t cost : filters.costs()) {
                QVERIFY(cheapest <= cost);
            }
        }
    }

    void aRangeOfRowsIsFilteredAsInTheWholePicture()
    {
        pngpixels::Pixels pixels = pngpixels::analyse(rgbPicture(37, 40));
        QCOMPARE(pixels.colourType, pngpixels::Rgb);
        const std::size_t lineBytes = pixels.rowBytes + 1;
        for (const Strategy strategy :
             {Strategy::None, Strategy::Up, Strategy::Adaptive, Strategy::Entropy}) {
            const std::vector<std::uint8_t> whole = pngfilters::filterRows(pixels, strategy);
            QCOMPARE(whole.size(), lineBytes * 40);
            for (const auto& [first, count] :
                 {std::pair<std::size_t, std::size_t>{0, 8}, {8, 8}, {33, 7}}) {
                const std::vector<std::uint8_t> part =
                    pngfilters::filterRows(pixels, strategy, first, count);
                const std::vector<std::uint8_t> expected(
                    whole.begin() + static_cast<std::ptrdiff_t>(first * lineBytes),
                    whole.begin() + static_cast<std::ptrdiff_t>((first + count) * lineBytes));
                QVERIFY2(part == expected, qPrintable(QStringLiteral("rows from %1").arg(first)));
            }
        }
    }

    void everyFilteringRoundTripsAndTheTrialKeepsTheSmallest_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<bool>("keepsSmallest");
        // Below 64 rows the trial deflates the whole picture at the file's level.
        QTest::newRow("RGB, taken whole") << rgbPicture(61, 50) << true;
        QImage palette = rgbPicture(30, 50);
        palette.fill(qRgb(1, 2, 3));
        for (int i = 0; i < 600; ++i) {
            palette.setPixel(i % 30, i / 30 + i % 7, qRgb(i % 9 * 20, 40, i % 5 * 30));
        }
        QTest::newRow("palette, taken whole") << palette << true;
        QTest::newRow("RGB, trial on bands") << rgbPicture(45, 300) << false;
        // The bands must not all fall on one phase of the layout: there they would
        // choose Up, which makes the file more than half as large again.
        QTest::newRow("repeating layout, trial on bands") << repeatingLayout() << true;
    }
    void everyFilteringRoundTripsAndTheTrialKeepsTheSmallest()
    {
        QFETCH(QImage, source);
        QFETCH(bool, keepsSmallest);
        const std::vector<Strategy> all{Strategy::None, Strategy::Up, Strategy::Adaptive,
                                        Strategy::Entropy};
        qsizetype smallestSingle = -1;
        for (const Strategy strategy : all) {
            const QByteArray file = pngwriter::encode(source, {6, {strategy}, 6, {}}).value();
            QCOMPARE(mdlSavedll::decodePng(file), source);
            if (smallestSingle < 0 || file.size() < smallestSingle) {
                smallestSingle = file.size();
            }
        }
        const QByteArray chosen = pngwriter::encode(source, {6, all, 6, {}}).value();
        QCOMPARE(mdlSavedll::decodePng(chosen), source);
        if (keepsSmallest) {
            QCOMPARE(chosen.size(), smallestSingle);
        }
        // A level chosen from the winner applies to the file.
        const auto levelZero = [](const pngpixels::Pixels&, Strategy) { return 0; };
        const QByteArray stored = pngwriter::encode(source, {6, all, 6, levelZero}).value();
        QCOMPARE(mdlSavedll::decodePng(stored), source);
        QVERIFY(stored.size() > chosen.size());
    }
};

QTEST_GUILESS_MAIN(TestPngFilters)
#include "test_png_filters.moc"
