#include "capture/CaptureScale.h"

#include <QTest>

using Outcome = ConfirmDecision::Outcome;

Q_DECLARE_METATYPE(Outcome)

class TestCaptureScale : public QObject
{
    Q_OBJECT

private slots:
    void captureAreaFollowsTheScale()
    {
        const CaptureSize work{false, 176, 132};
        CaptureScale scale;
        QCOMPARE(scale.captureWidth(work), 132);
        QCOMPARE(scale.captureHeight(work), 176);
        scale.shrinkValue = 150;
        QCOMPARE(scale.captureWidth(work), 198);
        QCOMPARE(scale.captureHeight(work), 264);
        scale = CaptureScale{};
        scale.enlargeValue = 130;
        QCOMPARE(scale.captureWidth(work), 101);
        QCOMPARE(scale.captureHeight(work), 135);
    }

    void confirm_data()
    {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<int>("shrink");
        QTest::addColumn<int>("enlarge");
        QTest::addColumn<bool>("doubled");
        QTest::addColumn<int>("workHeight");
        QTest::addColumn<int>("workWidth");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("96x72 doubled")
            << "96"
            << "72" << 100 << 100 << true << 192 << 144 << Outcome::StartLiveCapture;
        QTest::newRow("114x200 doubled")
            << "114"
            << "200" << 100 << 100 << true << 228 << 400 << Outcome::StartLiveCapture;
        QTest::newRow("115x30 not doubled")
            << "115"
            << "30" << 100 << 100 << false << 115 << 30 << Outcome::StartLiveCapture;
        QTest::newRow("200x29 doubled by width")
            << "200"
            << "29" << 100 << 100 << true << 400 << 58 << Outcome::StartLiveCapture;
        QTest::newRow("120 high enlarged 1.10")
            << "120"
            << "200" << 100 << 110 << false << 120 << 200 << Outcome::ScaleUnusable;
        QTest::newRow("30 wide enlarged 1.10")
            << "200"
            << "30" << 100 << 110 << false << 200 << 30 << Outcome::ScaleUnusable;
        QTest::newRow("57 high stays too small")
            << "57"
            << "100" << 100 << 100 << true << 114 << 200 << Outcome::Nothing;
        QTest::newRow("14 wide stays too small")
            << "200"
            << "14" << 100 << 100 << true << 400 << 28 << Outcome::Nothing;
        QTest::newRow("shrink keeps it usable")
            << "120"
            << "30" << 1000 << 100 << false << 120 << 30 << Outcome::StartLiveCapture;
    }
    void confirm()
    {
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(int, shrink);
        QFETCH(int, enlarge);
        PhoneModel phone;
        phone.height = height;
        phone.width = width;
        CaptureScale scale;
        scale.shrinkValue = shrink;
        scale.enlargeValue = enlarge;
        const ConfirmDecision decision = capturescale::decideConfirm(phone, CaptureSize{}, scale);
        QVERIFY(!decision.modelMissing);
        QTEST(decision.size.doubled, "doubled");
        QTEST(decision.size.workHeight, "workHeight");
        QTEST(decision.size.workWidth, "workWidth");
        QTEST(decision.outcome, "outcome");
    }

    void noModelKeepsTheSizeHeldSoFar()
    {
        const ConfirmDecision first =
            capturescale::decideConfirm(PhoneModel{}, CaptureSize{}, CaptureScale{});
        QVERIFY(first.modelMissing);
        QCOMPARE(first.size, CaptureSize{});
        QCOMPARE(first.outcome, Outcome::Nothing);

        PhoneModel halfChosen;
        halfChosen.height = QStringLiteral("320");
        const CaptureSize held{false, 320, 240};
        const ConfirmDecision again = capturescale::decideConfirm(halfChosen, held, CaptureScale{});
        QVERIFY(again.modelMissing);
        QCOMPARE(again.size, held);
        QCOMPARE(again.outcome, Outcome::StartLiveCapture);
    }

    void absurdSizesDoNotOverflow()
    {
        PhoneModel phone;
        phone.height = QStringLiteral("2147483647");
        phone.width = QStringLiteral("10");
        CaptureScale scale;
        scale.shrinkValue = 1000;
        const ConfirmDecision decision = capturescale::decideConfirm(phone, CaptureSize{}, scale);
        QVERIFY(decision.size.workHeight > 0);
        QVERIFY(scale.captureHeight(decision.size) > 0);
    }
};

QTEST_GUILESS_MAIN(TestCaptureScale)
#include "test_capture_scale.moc"
