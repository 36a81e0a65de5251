#include "capture/CaptureScale.h"

#include <QTest>

using Outcome = ConfirmDecision::Outcome;

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(CaptureSize)

using namespace Qt::StringLiterals;

namespace {

ConfirmDecision decide(const QString& height, const QString& width, int shrink = 100,
                       int enlarge = 100, CaptureSize held = {})
{
    PhoneModel phone;
    phone.height = height.toInt();
    phone.width = width.toInt();
    CaptureScale scale;
    scale.shrinkValue = shrink;
    scale.enlargeValue = enlarge;
    return capturescale::decideConfirm(phone, held, scale);
}

}  // namespace

class TestCaptureScale : public QObject
{
    Q_OBJECT

private slots:
    void captureAreaFollowsTheScale()
    {
        const CaptureSize work{false, 176, 132};
        CaptureScale scale;
        scale.shrinkValue = 150;
        QCOMPARE(QSize(scale.captureWidth(work), scale.captureHeight(work)), QSize(198, 264));
        scale = CaptureScale{};
        scale.enlargeValue = 130;
        QCOMPARE(QSize(scale.captureWidth(work), scale.captureHeight(work)), QSize(101, 135));
    }

    void confirm_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("enlarge");
        QTest::addColumn<CaptureSize>("size");
        QTest::addColumn<Outcome>("outcome");
        const Outcome start = Outcome::StartLiveCapture;
        QTest::newRow("96x72") << 96 << 72 << 100 << CaptureSize{true, 192, 144} << start;
        QTest::newRow("114x200") << 114 << 200 << 100 << CaptureSize{true, 228, 400} << start;
        QTest::newRow("115x30") << 115 << 30 << 100 << CaptureSize{false, 115, 30} << start;
        QTest::newRow("200x29") << 200 << 29 << 100 << CaptureSize{true, 400, 58} << start;
        QTest::newRow("120 high enlarged 1.10")
            << 120 << 200 << 110 << CaptureSize{false, 120, 200} << Outcome::ScaleUnusable;
        QTest::newRow("57 high stays too small")
            << 57 << 100 << 100 << CaptureSize{true, 114, 200} << Outcome::Nothing;
    }
    void confirm()
    {
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(int, enlarge);
        const ConfirmDecision decision =
            decide(QString::number(height), QString::number(width), 100, enlarge);
        QVERIFY(!decision.modelMissing);
        QTEST(decision.size, "size");
        QTEST(decision.outcome, "outcome");
    }

    void shrinkingKeepsASmallScreenUsable()
    {
        QCOMPARE(decide(u"120"_s, u"30"_s, 1000).outcome, Outcome::StartLiveCapture);
    }

    void noModelKeepsTheSizeHeldSoFar()
    {
        const CaptureSize held{false, 320, 240};
        const ConfirmDecision again = decide(u"320"_s, {}, 100, 100, held);
        QVERIFY(again.modelMissing);
        QCOMPARE(again.size, held);
        QCOMPARE(again.outcome, Outcome::StartLiveCapture);
    }

    void absurdSizesDoNotOverflow()
    {
        const ConfirmDecision decision = decide(u"2147483647"_s, u"10"_s, 1000);
        QVERIFY(decision.size.workHeight > 0);
        CaptureScale scale;
        scale.shrinkValue = 1000;
        QVERIFY(scale.captureHeight(decision.size) > 0);
    }
};

QTEST_GUILESS_MAIN(TestCaptureScale)
#include "test_capture_scale.moc"
