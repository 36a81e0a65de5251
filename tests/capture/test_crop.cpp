#include "capture/LoupeGeometry.h"
#include "capture/PreviewSnapshot.h"
#include "capture/mdlCut.h"

#include <QTest>

namespace {

QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
        }
    }
    return image;
}

}  // namespace

class TestCrop : public QObject
{
    Q_OBJECT

private slots:
    void geometryOfBothStyles()
    {
        const CaptureSize work{false, 320, 240};
        const CropRect classic = CropRect::forCapture(work, FrameOffsets::forStyle(0));
        QCOMPARE(classic.cropLeft, 50);
        QCOMPARE(classic.cropTop, 330);
        QCOMPARE(classic.pixels(), QRect(3, 22, 240, 320));
        const CropRect xp = CropRect::forCapture(work, FrameOffsets::forStyle(1));
        QCOMPARE(xp.cropLeft, 40);
        QCOMPARE(xp.cropTop, 430);

        const LoupeFrame loupe = loupegeometry::loupeFrame(work, CaptureScale{}, FrameOffsets{});
        QCOMPARE(loupegeometry::loupeTwips(work, CaptureScale{}, FrameOffsets{}),
                 QSize(3750, 5250));
        QCOMPARE(loupe.hole, QRect(5, 25, 240, 320));
        QCOMPARE(
            loupegeometry::loupeTwips(work, CaptureScale{}, FrameOffsets::forStyle(1)).height(),
            5360);
        QCOMPARE(
            loupegeometry::loupeFrame(work, CaptureScale{}, FrameOffsets::forStyle(1)).hole.size(),
            QSize(240, 320));
        QCOMPARE(loupegeometry::previewTwips(work, FrameOffsets{}), QSize(3690, 5180));
        QCOMPARE(loupegeometry::previewTwips(work, FrameOffsets::forStyle(1)).height(), 5280);
    }

    void theCropCutsExactlyThePreviewPicture_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("classic") << 0;
        QTest::newRow("Windows XP") << 1;
    }
    void theCropCutsExactlyThePreviewPicture()
    {
        QFETCH(int, style);
        const CaptureSize work{false, 320, 240};
        const FrameOffsets frame = FrameOffsets::forStyle(style);
        const QImage client = numbered(240, 320);
        const QImage snapshot =
            composePreviewSnapshot(client, work, frame, QStringLiteral("プレビュー"));
        QCOMPARE(mdlCut::cutPicture(snapshot, work, frame), client);
    }

    void aDoubledCaptureIsHalvedToThePhoneSize()
    {
        const CaptureSize work{true, 192, 144};  // a 96 x 72 model
        QImage client(144, 192, QImage::Format_RGB32);
        client.fill(qRgb(10, 20, 30));
        client.setPixel(0, 0, qRgb(100, 0, 0));
        client.setPixel(1, 0, qRgb(101, 0, 0));  // red (100 + 101 + 10 + 10) / 4 = 55.25
        client.setPixel(2, 0, qRgb(0, 10, 0));
        client.setPixel(3, 0, qRgb(0, 0, 0));
        client.setPixel(2, 1, qRgb(0, 0, 0));
        client.setPixel(3, 1, qRgb(0, 0, 0));  // green 10 / 4 = 2.5 -> 2, half to even
        const QImage snapshot = composePreviewSnapshot(client, work, FrameOffsets{}, QString());
        const QImage picture = mdlCut::cutPicture(snapshot, work, FrameOffsets{});
        QCOMPARE(picture.size(), QSize(72, 96));
        QCOMPARE(picture.pixel(0, 0), qRgb(55, 10, 15));
        QCOMPARE(picture.pixel(1, 0), qRgb(0, 2, 0));
        QCOMPARE(picture.pixel(5, 5), qRgb(10, 20, 30));
    }
};

QTEST_MAIN(TestCrop)
#include "test_crop.moc"
