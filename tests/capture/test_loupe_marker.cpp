#include "capture/LoupeMarker.h"
#include "common/DevicePixels.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>

namespace {

const LoupeFrame kLoupe{QRect(0, 0, 250, 350), QRect(5, 30, 240, 315), 30};

// A desktop of `logical` size scaled by `ratio` as a Wayland compositor shows it: busy
// pixels underneath, and a window drawn by the toolkit at the next whole ratio, then
// scaled smoothly into its device rectangle (the edges of the window mapped on their own).
QImage scaledDesktop(const QSize& logical, double ratio, const QPoint& windowAt,
                     loupemarker::Pattern pattern, QImage::Format format = QImage::Format_RGB32)
{
    const QSize device(devicepixels::toDevice(logical.width(), ratio),
                       devicepixels::toDevice(logical.height(), ratio));
    QImage desktop(device, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < desktop.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(desktop.scanLine(y));
        for (int x = 0; x < desktop.width(); ++x) {
            line[x] = 0xFF000000U | (noise.generate() & 0xFFFFFFU);
        }
    }
    const int whole = static_cast<int>(std::ceil(ratio));
    QImage window(kLoupe.outer.size() * whole, QImage::Format_RGB32);
    window.setDevicePixelRatio(whole);
    window.fill(QColor(0x30, 0x8C, 0xC6));
    {
        QPainter painter(&window);
        loupemarker::draw(painter, kLoupe.outer.width(), pattern);
    }
    window.setDevicePixelRatio(1);
    const QRect shown = devicepixels::edgesToDevice(kLoupe.outer.translated(windowAt), ratio);
    QPainter(&desktop).drawImage(shown.topLeft(), window.scaled(shown.size(), Qt::IgnoreAspectRatio,
                                                                Qt::SmoothTransformation));
    return desktop.convertToFormat(format);
}

}  // namespace

class TestLoupeMarker : public QObject
{
    Q_OBJECT

private slots:
    // The loupe is found to the logical pixel, so that the hole's device pixels are the
    // ones the desktop shows through it, at whole and fractional scales, at odd and even
    // positions (half device pixels at 1.5) and in either byte order of the stream.
    void foundToTheLogicalPixelAtAnyScale_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("rgbx");
        for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
            for (const QPoint at : {QPoint(100, 40), QPoint(101, 43), QPoint(333, 257)}) {
                QTest::addRow("%.2f at %d,%d", ratio, at.x(), at.y()) << ratio << at << false;
            }
        }
        QTest::newRow("1.50 RGBX") << 1.5 << QPoint(77, 91) << true;
    }
    void foundToTheLogicalPixelAtAnyScale()
    {
        QFETCH(double, ratio);
        QFETCH(QPoint, at);
        QFETCH(bool, rgbx);
        const QImage frame = scaledDesktop(QSize(800, 640), ratio, at, loupemarker::Pattern::Loupe,
                                           rgbx ? QImage::Format_RGBX8888 : QImage::Format_RGB32);
        const QPoint marker = at + loupemarker::placeIn(kLoupe);
        QCOMPARE(loupemarker::find(frame, ratio, std::nullopt), marker);
        // Looked for near where it was: still exact when it moved by one pixel.
        QCOMPARE(loupemarker::find(frame, ratio, marker + QPoint(1, -1)), marker);

        LoupeTracker tracker(kLoupe);
        const QImage hole = tracker.holePixels(frame, ratio);
        const QRect expected = devicepixels::edgesToDevice(kLoupe.hole.translated(at), ratio);
        QCOMPARE(tracker.lastHole(), expected);
        QCOMPARE(hole, frame.copy(expected).convertToFormat(QImage::Format_RGB32));
    }

    // The preview's pattern is not the loupe's, and a desktop without either gives none.
    void patternsAreToldApart()
    {
        const QImage preview =
            scaledDesktop(QSize(800, 640), 1.5, QPoint(50, 60), loupemarker::Pattern::Preview);
        QCOMPARE(loupemarker::find(preview, 1.5, std::nullopt), std::nullopt);
        QCOMPARE(loupemarker::find(preview, 1.5, std::nullopt, 64, loupemarker::Pattern::Preview),
                 QPoint(50, 60) + loupemarker::placeIn(kLoupe));
        LoupeTracker tracker(kLoupe);
        QVERIFY(tracker.holePixels(preview, 1.5).isNull());
        QVERIFY(tracker.lastHole().isEmpty());
    }

    // An output's scale from its picture and its logical size, as each desktop rounds.
    void outputScaleFromSizes()
    {
        QCOMPARE(devicepixels::outputRatio(1280, 853, 2.0), 1.5);           // sway: 853.33 cut
        QCOMPARE(devicepixels::outputRatio(1280, 855, 2.0), 1280.0 / 855);  // GNOME's 1.497
        QCOMPARE(devicepixels::outputRatio(1920, 1280, 2.0), 1.5);
        QCOMPARE(devicepixels::outputRatio(2560, 1280, 1.0), 2.0);
        QCOMPARE(devicepixels::outputRatio(1280, 1280, 2.0), 1.0);
        QCOMPARE(devicepixels::outputRatio(1280, 0, 2.0), 2.0);
    }
};

QTEST_MAIN(TestLoupeMarker)
#include "test_loupe_marker.moc"
