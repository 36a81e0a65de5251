#include "capture/LoupeGeometry.h"
#include "capture/ScreenFit.h"

#include <QTest>

Q_DECLARE_METATYPE(FrameOffsets)
Q_DECLARE_METATYPE(CaptureSize)
Q_DECLARE_METATYPE(CaptureScale)

namespace {

const CaptureSize kWide{false, 854, 480};  // the largest shipped model
const QSize kLaptop(1366, 768);

CaptureScale enlargedBy(int value)
{
    CaptureScale scale;
    scale.mode = CaptureScale::Mode::Enlarge;
    scale.enlargeValue = value;
    return scale;
}

CaptureScale shrunkBy(int value)
{
    CaptureScale scale;
    scale.shrinkValue = value;
    return scale;
}

}  // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void keepInsideMovesOnlyWhatLiesOutside_data()
    {
        QTest::addColumn<QPoint>("wanted");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QPoint>("placed");
        // The area: a 1366 x 740 screen below a 28-pixel panel.
        QTest::newRow("inside") << QPoint(10, 40) << QSize(300, 500) << 20 << QPoint(10, 40);
        QTest::newRow("above") << QPoint(0, -116) << QSize(486, 879) << 22 << QPoint(0, 28);

        QTest::newRow("caption below") << QPoint(5, 760) << QSize(300, 500) << 20 << QPoint(5, 748);
        QTest::newRow("caption kept, body below")
            << QPoint(5, 600) << QSize(300, 500) << 20 << QPoint(5, 600);
        QTest::newRow("whole window kept")
            << QPoint(5, 600) << QSize(300, 500) << 500 << QPoint(5, 268);

        QTest::newRow("wider than the area")
            << QPoint(-80, 40) << QSize(1400, 500) << 20 << QPoint(0, 40);
        QTest::newRow("taller than the area")
            << QPoint(0, -58) << QSize(490, 884) << 884 << QPoint(0, 28);
    }
    void keepInsideMovesOnlyWhatLiesOutside()
    {
        QFETCH(QPoint, wanted);
        QFETCH(QSize, size);
        QFETCH(int, keep);
        QFETCH(QPoint, placed);
        QCOMPARE(screenfit::keepInside(wanted, size, keep, QRect(0, 28, 1366, 740)), placed);
    }

    void thePreviewIsScaledToTheLargestPercentThatFits_data()
    {
        QTest::addColumn<FrameOffsets>("frame");
        QTest::addColumn<QSize>("available");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QSize>("client");
        const FrameOffsets classic = FrameOffsets::forStyle(FrameOffsets::kClassic);
        const FrameOffsets xp = FrameOffsets::forStyle(FrameOffsets::kWindowsXp);
        QTest::newRow("1280x1024") << classic << QSize(1280, 1024) << 100 << QSize(480, 854);
        QTest::newRow("exactly") << classic << QSize(486, 879) << 100 << QSize(480, 854);
        QTest::newRow("one short") << classic << QSize(486, 878) << 99 << QSize(475, 845);
        QTest::newRow("1366x768") << classic << kLaptop << 87 << QSize(418, 743);
        QTest::newRow("1366x768 XP") << xp << kLaptop << 86 << QSize(413, 734);
        QTest::newRow("narrow") << classic << QSize(246, 2000) << 50 << QSize(240, 427);
    }
    void thePreviewIsScaledToTheLargestPercentThatFits()
    {
        QFETCH(FrameOffsets, frame);
        QFETCH(QSize, available);
        QFETCH(int, percent);
        QFETCH(QSize, client);
        QCOMPARE(screenfit::previewPercent(kWide, frame, available), percent);
        const CaptureSize shown = screenfit::shownSize(kWide, percent);
        QCOMPARE(QSize(shown.workWidth, shown.workHeight), client);
        const QSize outer = screenfit::previewOuter(shown, frame);
        QVERIFY(outer.width() <= available.width() && outer.height() <= available.height());
    }

    void theCaptionStatesTheScale()
    {
        QCOMPARE(screenfit::previewCaption(QStringLiteral("プレビュー"), 80),
                 QStringLiteral("プレビュー (80%)"));
        QCOMPARE(screenfit::previewCaption(QStringLiteral("プレビュー"), 100),
                 QStringLiteral("プレビュー"));
    }

    // The factor named is one the dialog accepts, the loupe fits at it and not at the
    // next factor towards 1.
    void aLoupeTooLargeNamesTheNearestFactorThatFits_data()
    {
        QTest::addColumn<FrameOffsets>("frame");
        QTest::addColumn<CaptureSize>("size");
        QTest::addColumn<CaptureScale>("scale");
        QTest::addColumn<QString>("advice");
        const FrameOffsets classic = FrameOffsets::forStyle(FrameOffsets::kClassic);
        const FrameOffsets xp = FrameOffsets::forStyle(FrameOffsets::kWindowsXp);
        QTest::newRow("1.00") << classic << kWide << CaptureScale{}
                              << QStringLiteral(
                                     "「拡大する」を選んで倍率を1.16倍以上にしてください。");
        QTest::newRow("1.00 XP") << xp << kWide << CaptureScale{}
                                 << QStringLiteral(
                                        "「拡大する」を選んで倍率を1.17倍以上にしてください。");

        QTest::newRow("shrink 3.00")
            << classic << CaptureSize{false, 320, 240} << shrunkBy(300)
            << QStringLiteral("「縮小する」の倍率を2.3分の1以下にしてください。");
    }
    void aLoupeTooLargeNamesTheNearestFactorThatFits()
    {
        QFETCH(FrameOffsets, frame);
        QFETCH(CaptureSize, size);
        QFETCH(CaptureScale, scale);
        QFETCH(QString, advice);
        QCOMPARE(screenfit::loupeTooLargeMessage(size, scale, frame, kLaptop),
                 QStringLiteral("ルーペウィンドウが画面に収まりません。\n") + advice);

        const bool enlarge = advice.contains(QStringLiteral("拡大する"));
        const int named = enlarge ? *screenfit::smallestFittingEnlarge(size, frame, kLaptop)
                                  : *screenfit::largestFittingShrink(size, frame, kLaptop);
        const CaptureScale at = enlarge ? enlargedBy(named) : shrunkBy(named);
        const CaptureScale before = enlarge ? enlargedBy(named - 1) : shrunkBy(named + 1);
        QVERIFY(screenfit::loupeFits(size, at, frame, kLaptop));
        QVERIFY(!screenfit::loupeFits(size, before, frame, kLaptop));
        QVERIFY(screenfit::loupeTooLargeMessage(size, at, frame, kLaptop).isEmpty());
        const QRect outer = loupegeometry::loupeFrame(size, at, frame).outer;
        QVERIFY(outer.height() <= kLaptop.height() && outer.width() <= kLaptop.width());
    }

    void aLoupeThatFitsAtNoFactorSaysSo()
    {
        const QString message =
            screenfit::loupeTooLargeMessage(kWide, enlargedBy(200), {}, QSize(800, 420));
        QCOMPARE(message, QStringLiteral("ルーペウィンドウが画面に収まりません。\n"
                                         "「拡大する」の倍率を最大の2倍にしても収まらないため、"
                                         "この画面では取り込めません。"));
        QVERIFY(!screenfit::smallestFittingEnlarge(kWide, {}, QSize(800, 420)));
        QVERIFY(screenfit::loupeTooLargeMessage(kWide, enlargedBy(200), {}, kLaptop).isEmpty());
    }
};

QTEST_MAIN(TestScreenFit)
#include "test_screen_fit.moc"
