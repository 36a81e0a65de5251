#include "common/Numbers.h"
#include "edit/EditImages.h"
#include "edit/LPSLighting.h"
#include "edit/LPSPixels.h"
#include "edit/LightingPage.h"
#include "edit/LightingRows.h"
#include "edit/LightingRun.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "support/FakeDialogs.h"
#include "support/PoolSize.h"
#include "support/TryWait.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

using namespace LPSLighting;

namespace {

// The formula for one channel, written out: brightness, then contrast about 69.
int adjusted(int c, int brightness, int contrast)
{
    c = std::clamp(c + std::clamp(brightness, -100, 100), 0, 255);
    const double g = std::clamp(contrast, -100, 100) / 100.0;
    double value = static_cast<double>(static_cast<float>(-g)) * (69 - c) + c;
    if (g > 0) {
        const auto lo = numbers::roundHalfEven(g * 69);
        const auto hi = numbers::roundHalfEven(255 - g * 186);
        value =
            static_cast<double>(static_cast<float>(256.0 / double(hi - lo + 1))) * (c - 69) + 69;
    }
    return static_cast<int>(std::clamp<long long>(numbers::roundHalfEven(value), 0, 255));
}

// Every value in every channel (red v, green 255 − v, blue 7v mod 256), adjusted or not.
QImage ramp(int brightness = 0, int contrast = 0)
{
    QImage image(256, 2, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v) {
        const auto a = [&](int c) { return adjusted(c, brightness, contrast); };
        const QRgb p = qRgb(a(v), a(255 - v), a(7 * v % 256));
        image.setPixel(v, 0, p);
        image.setPixel(v, 1, p);
    }
    return image;
}

QImage imageOf(const PixelBuffer& buffer)
{
    QImage image(buffer.width, buffer.height, QImage::Format_RGB32);
    LPSPixels::SetPixels(image, buffer);
    return image;
}

// Serves events until the page has no computation under way.
void settle(LightingPage& page)
{
    QCoreApplication::processEvents();
    while (page.isBusy()) {
        QCoreApplication::processEvents();
    }
}

// The page on the captured ramp.
struct Lighting
{
    Lighting() { images.setCaptured(ramp()); }
    QSlider* slider(int i) { return page.findChild<QSlider*>(QStringLiteral("Slider1_%1").arg(i)); }
    QPushButton* reset(int i)
    {
        return page.findChild<QPushButton*>(QStringLiteral("Command%1").arg(i + 1));
    }

    EditImages images;
    FakeDialogs dialogs;
    ToolColours colours;
    ToolContext context{images, dialogs, colours, [] {}, [](bool) {}};
    LightingPage page{context};
};

// Pixels of every kind, the fourth byte included.
QImage noise(int width, int height)
{
    std::mt19937 random(11);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = static_cast<quint32>(random());
        }
    }
    return image;
}

// Each channel looked up in the table by itself, the fourth byte kept.
quint32 throughTable(quint32 pixel, const ChannelTable& table)
{
    const auto channel = [&](int shift) {
        return quint32{table[(pixel >> shift) & 0xFFu]} << shift;
    };
    return (pixel & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

// Whether every pixel of `result` is the source's pixel through the table.
bool throughTableEverywhere(const QImage& source, const QImage& result, const ChannelTable& table)
{
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(y));
        const auto* out = reinterpret_cast<const quint32*>(result.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if (out[x] != throughTable(in[x], table)) {
                qWarning("pixel %d, %d differs", x, y);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

class TestLighting : public QObject
{
    Q_OBJECT

private slots:
    void workedValues_data()
    {
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("expected");
        QTest::newRow("contrast 100, below the pivot") << 0 << 100 << 68 << 0;
        QTest::newRow("contrast 100, at the pivot") << 0 << 100 << 69 << 69;
        QTest::newRow("contrast 100, above the pivot") << 0 << 100 << 70 << 255;
        QTest::newRow("contrast -100, black") << 0 << -100 << 0 << 69;
        QTest::newRow("contrast -100, white") << 0 << -100 << 255 << 69;
        QTest::newRow("contrast -50, 0 (34.5 to even)") << 0 << -50 << 0 << 34;
        QTest::newRow("contrast -50, 128 (98.5 to even)") << 0 << -50 << 128 << 98;
        QTest::newRow("contrast -50, 255") << 0 << -50 << 255 << 162;
        QTest::newRow("contrast 50, 128") << 0 << 50 << 128 << 186;
        QTest::newRow("brightness -100 before contrast 100") << -100 << 100 << 168 << 0;
    }
    void workedValues()
    {
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        QFETCH(int, channel);
        PixelBuffer buffer{1, 1, {qRgb(channel, 0, 0)}};
        AdjustBrightness(buffer, brightness);
        AdjustContrast(buffer, contrast, kPivot);
        QTEST(qRed(buffer.pixels[0]), "expected");

        PixelBuffer pixel{1, 1, {0x12FA0A00}};  // (250, 10, 0), fourth byte 0x12
        AdjustBrightness(pixel, 100);
        QCOMPARE(pixel.pixels[0], 0x12FF6E64u);  // (255, 110, 100)
    }

    void wholeRangeMatchesTheFormula_data()
    {
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        const std::pair<int, int> amounts[] = {{0, -150}, {0, -73}, {0, -1}, {0, 1},    {0, 67},
                                               {0, 150},  {-37, 0}, {55, 0}, {-20, 40}, {35, -60}};
        for (const auto& [b, c] : amounts) {
            QTest::addRow("b %d c %d", b, c) << b << c;
        }
    }
    void wholeRangeMatchesTheFormula()
    {
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        PixelBuffer stepwise = LPSPixels::GetPixels(ramp());
        AdjustBrightness(stepwise, brightness);
        AdjustContrast(stepwise, contrast, kPivot);
        QCOMPARE(imageOf(stepwise), ramp(brightness, contrast));
        PixelBuffer combined = LPSPixels::GetPixels(ramp());
        applyTable(combined, lightingTable(brightness, contrast));
        QCOMPARE(imageOf(combined), ramp(brightness, contrast));
    }

    void everyPixelLoopGivesTheTablesBytes()
    {
        const ChannelTable table = lightingTable(23, -41);
        const ShiftedTables tables = shifted(table);
        const QImage source = noise(37, 3);
        for (auto kernel : {lightingrows::Kernel::Plain, lightingrows::Kernel::Gather}) {
            if (!lightingrows::available(kernel)) {
                continue;
            }
            // Every width up to a few blocks of eight, so that the ends are covered.
            for (int width = 0; width <= source.width(); ++width) {
                const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(width % 3));
                std::vector<quint32> out(static_cast<size_t>(width) + 1, 0x12345678u);
                lightingrows::apply(kernel, in, out.data(), width, tables);
                for (int x = 0; x < width; ++x) {
                    QCOMPARE(out[static_cast<size_t>(x)], throughTable(in[x], table));
                }
                QCOMPARE(out.back(), 0x12345678u);  // nothing written past the end
            }
        }
    }

    void aLongRunGivesTheTablesBytesWhicheverLoopItKeeps()
    {
        // Tall enough for the trial of the loops and many rows after it.
        const QImage source = noise(97, 2000);
        const ChannelTable table = lightingTable(-12, 64);
        const ShiftedTables tables = shifted(table);
        // No helper: the owner's one band a slice goes through the trial and beyond.
        const PoolSize pool(1);
        LightingRun run(source, tables);
        int slices = 0;
        while (!run.step(std::chrono::nanoseconds(0))) {
            ++slices;
        }
        QVERIFY(slices > 0);
        QVERIFY(throughTableEverywhere(source, run.result(), table));
    }

    void theHelperWorksOnWhileTheOwnerServesItsEvents()
    {
        const QImage source = noise(97, 2000);
        const ChannelTable table = lightingTable(31, -17);
        const ShiftedTables tables = shifted(table);
        std::unique_ptr<LightingRun> made;
        {
            const PoolSize pool(2);  // two threads whatever the machine has
            made = std::make_unique<LightingRun>(source, tables);
        }
        LightingRun& run = *made;
        // The owner never steps: the whole picture is the helper's.
        TRY_VERIFY_WITH_TIMEOUT(run.finished(), 10000);
        QCOMPARE(run.helperRows(), source.height());
        QVERIFY(throughTableEverywhere(source, run.result(), table));
        QVERIFY(run.step(std::chrono::hours(1)));  // nothing left: returns at once
    }

    void aRunDroppedMidwayStopsItsHelperFirst()
    {
        // Under the address sanitizer a helper still writing into a dropped result
        // picture, or reading dropped tables, is reported here.
        const QImage source = noise(301, 900);
        for (int attempt = 0; attempt < 40; ++attempt) {
            auto tables = std::make_unique<ShiftedTables>(shifted(lightingTable(attempt, 0)));
            auto run = std::make_unique<LightingRun>(source, *tables);
            if (attempt % 2 != 0) {
                run->step(std::chrono::microseconds(attempt * 10));
            }
            run.reset();
            tables.reset();
        }
        // And a finished run's picture outlives the run.
        const ShiftedTables tables = shifted(lightingTable(5, 5));
        QImage kept;
        {
            LightingRun run(source, tables);
            run.step(std::chrono::hours(1));
            kept = run.result();
        }
        QVERIFY(throughTableEverywhere(source, kept, lightingTable(5, 5)));
    }

    void aSparePictureIsWrittenOnlyWhenNothingElseHoldsIt()
    {
        const QImage source = noise(16, 8);
        const ShiftedTables tables = shifted(lightingTable(40, 0));
        QImage spare(source.size(), QImage::Format_RGB32);
        spare.fill(Qt::black);
        const uchar* spareBits = spare.constBits();
        LightingRun own(source, tables, std::move(spare));
        own.step(std::chrono::hours(1));
        QCOMPARE(own.result().constBits(), spareBits);

        // Shown on a canvas meanwhile: it must stay as it is.
        QImage shown(source.size(), QImage::Format_RGB32);
        shown.fill(Qt::black);
        const QImage before = shown.copy();
        LightingRun shared(source, tables, shown);
        shared.step(std::chrono::hours(1));
        QCOMPARE(shown, before);
        QVERIFY(shared.result().constBits() != shown.constBits());
        QCOMPARE(shared.result(), own.result());
    }

    void settledValuesAndResetsRecomputeFromTheCapture()
    {
        Lighting l;
        l.images.canvas().fill(Qt::red);
        l.reset(0)->click();  // already 0: recomputed all the same
        settle(l.page);
        QCOMPARE(l.images.canvas(), l.images.picCaptured());
        QTest::keyClick(l.slider(1), Qt::Key_PageUp);
        QTest::keyClick(l.slider(0), Qt::Key_PageDown);
        settle(l.page);
        QCOMPARE(l.images.canvas(), ramp(-10, 10));
        l.reset(1)->click();
        settle(l.page);
        QCOMPARE(l.slider(1)->value(), 0);
        QCOMPARE(l.images.canvas(), ramp(-10, 0));
    }

    void leavingASliderByTabOrMouseRecomputes()
    {
        for (auto [reason, recomputed] : {std::pair{Qt::TabFocusReason, true},
                                          {Qt::MouseFocusReason, true},
                                          {Qt::ActiveWindowFocusReason, false}}) {
            Lighting l;
            l.images.canvas().fill(Qt::red);
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(l.slider(1), &out);
            settle(l.page);
            QCOMPARE(l.images.canvas() == l.images.picCaptured(), recomputed);
        }
    }

    void newestValuesWinUnderTheBusyPointer()
    {
        Lighting l;
        l.page.ApplyLighting();
        QVERIFY(l.page.isBusy());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        l.slider(1)->setValue(-100);  // arrives while the first computation is under way
        settle(l.page);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(l.images.canvas(), ramp(0, -100));
    }

    void aCanvasChangedMeanwhileIsNotOverwritten()
    {
        Lighting l;
        l.slider(0)->setValue(50);
        settle(l.page);
        l.page.ApplyLighting();
        l.images.RestoreCaptured();
        settle(l.page);
        QCOMPARE(l.images.canvas(), l.images.picCaptured());
    }

    void theWorkRunsFromTheEventLoopInSlices()
    {
        // Large enough for several slices in any build.
        QImage large(3000, 4000, QImage::Format_RGB32);
        large.fill(qRgb(100, 150, 200));
        EditImages images;
        images.setCaptured(large);
        FakeDialogs dialogs;
        ToolColours colours;
        ToolContext context{images, dialogs, colours, [] {}, [](bool) {}};
        auto page = std::make_unique<LightingPage>(context);
        page->findChild<QSlider*>(QStringLiteral("Slider1_0"))->setValue(10);
        settle(*page);
        QCOMPARE(images.canvas().pixel(2999, 3999), qRgb(110, 160, 210));

        // The call returns at once; the user's events are served between slices, and
        // one of them may take the window away with its page.
        images.canvas().fill(Qt::red);
        page->ApplyLighting();
        QVERIFY(page->isBusy());
        QCOMPARE(images.canvas().pixel(0, 0), qRgb(255, 0, 0));
        bool servedWhileBusy = false;
        QTimer::singleShot(0, page.get(), [&] {
            servedWhileBusy = page->isBusy();
            page.reset();
        });
        while (page) {
            QCoreApplication::processEvents();
        }
        QVERIFY(servedWhileBusy);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(images.canvas().pixel(0, 0), qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestLighting)
#include "test_lighting.moc"
