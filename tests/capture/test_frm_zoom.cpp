#include "capture/frmZoom.h"
#include "common/SelectionState.h"
#include "support/FakeDialogs.h"
#include "support/FocusChain.h"
#include "support/RecordingLiveCapture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kNoModel = QStringLiteral("機種を選択してください。");
const QString kUnusable = QStringLiteral("選択したサイズに設定した倍率は使用できません。");

}  // namespace

class TestFrmZoom : public QObject
{
    Q_OBJECT

private:
    SelectionState selection;
    FakeDialogs dialogs;
    std::unique_ptr<RecordingLiveCapture> live;
    std::unique_ptr<frmZoom> zoom;

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return zoom->findChild<T*>(QString::fromLatin1(name));
    }
    QScrollBar* shrink() { return control<QScrollBar>("HScroll1"); }
    QScrollBar* enlarge() { return control<QScrollBar>("HScroll2"); }
    QString text(const char* label) { return control<QLabel>(label)->text(); }
    void chooseModel(const char* height, const char* width)
    {
        selection.phone.height = QByteArray(height).toInt();
        selection.phone.width = QByteArray(width).toInt();
    }
    void pressOk() { QTest::mouseClick(control<QPushButton>("cmdOk"), Qt::LeftButton); }

private slots:
    void init()
    {
        selection = SelectionState{};
        dialogs.messages.clear();
        live = std::make_unique<RecordingLiveCapture>();
        zoom = std::make_unique<frmZoom>(selection, dialogs, *live);
        zoom->show();
    }

    void opensOnTheShrinkSideWithShortestDecimals()
    {
        QVERIFY(control<QCheckBox>("Check1")->isChecked());
        QVERIFY(control<QRadioButton>("Option1_0")->isChecked());
        QVERIFY(shrink()->isEnabled());
        QVERIFY(!enlarge()->isEnabled());
        QVERIFY(!control<QLabel>("lblEnlarge")->isEnabled());
        QCOMPARE(text("lblEnlarge"), QStringLiteral("1"));
        QCOMPARE(enlarge()->maximum(), 200);
        for (auto [value, shown] : {std::pair{102, "1.02"}, std::pair{150, "1.5"},
                                    std::pair{1000, "10"}, std::pair{100, "1"}}) {
            shrink()->setValue(value);
            QCOMPARE(text("lblShrink"), QString::fromLatin1(shown));
        }
        QTest::keyClick(shrink(), Qt::Key_Right);
        QCOMPARE(text("lblShrink"), QStringLiteral("1.01"));
    }

    void optionsAndTheCheckBoxResetTheFactors()
    {
        shrink()->setValue(150);
        control<QRadioButton>("Option1_1")->click();
        QCOMPARE(text("lblShrink"), QStringLiteral("1"));
        QVERIFY(!shrink()->isEnabled());
        QVERIFY(enlarge()->isEnabled());
        enlarge()->setValue(130);
        control<QRadioButton>("Option1_0")->click();
        QCOMPARE(enlarge()->value(), 100);

        control<QRadioButton>("Option1_1")->click();
        enlarge()->setValue(150);
        const int stopsBefore = live->stops();
        control<QCheckBox>("Check1")->click();  // scaling off
        QVERIFY(live->stops() > stopsBefore);
        QCOMPARE(enlarge()->value(), 100);
        QCOMPARE(shrink()->value(), 100);
        QCOMPARE(text("lblEnlarge"), QStringLiteral("1"));
        for (const char* name : {"Option1_0", "Option1_1", "HScroll1", "HScroll2", "lblShrink",
                                 "lblEnlarge", "lblShrinkUnit", "lblEnlargeUnit"}) {
            QVERIFY2(!control<QWidget>(name)->isEnabled(), name);
        }
        control<QCheckBox>("Check1")->click();
        QVERIFY(control<QRadioButton>("Option1_0")->isChecked());
        QVERIFY(control<QRadioButton>("Option1_1")->isEnabled());
        QVERIFY(shrink()->isEnabled());
        QVERIFY(!enlarge()->isEnabled());
    }

    void confirmStartsTheLiveCaptureWithTheWorkingSize()
    {
        chooseModel("96", "72");
        shrink()->setValue(150);
        pressOk();
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(live->requests().size(), 1);
        const RecordingLiveCapture::Request request = live->requests().first();
        QCOMPARE(request.size, (CaptureSize{true, 192, 144}));
        QCOMPARE(request.scale.shrinkValue, 150);
    }

    void confirmRefusesWhatCannotBeCaptured()
    {
        pressOk();
        QCOMPARE(dialogs.messages, QStringList{kNoModel});
        QVERIFY(live->requests().isEmpty());

        dialogs.messages.clear();
        chooseModel("120", "200");
        control<QRadioButton>("Option1_1")->click();
        enlarge()->setValue(110);
        const int stopsBefore = live->stops();
        pressOk();
        QCOMPARE(dialogs.messages, QStringList{kUnusable});
        QVERIFY(live->requests().isEmpty());
        QCOMPARE(live->stops(), stopsBefore);
    }

    void backEndAndCloseAreHandedOn()
    {
        QSignalSpy back(zoom.get(), &frmZoom::backRequested);
        QSignalSpy end(zoom.get(), &frmZoom::endRequested);
        QTest::mouseClick(control<QPushButton>("cmdBack"), Qt::LeftButton);
        QCOMPARE(back.count(), 1);
        QTest::keyClick(zoom.get(), Qt::Key_Escape);
        QCOMPARE(end.count(), 0);
        QTest::mouseClick(control<QPushButton>("cmdEnd"), Qt::LeftButton);
        QCOMPARE(end.count(), 1);
        zoom->close();
        QCOMPARE(end.count(), 2);
    }

    void captureAgainKeepsTheFactors()
    {
        chooseModel("320", "240");
        shrink()->setValue(120);
        pressOk();
        QVERIFY(text("lblHelp").startsWith(QStringLiteral("ルーペウィンドウを")));
        zoom->hide();
        zoom->captureAgain();
        QVERIFY(zoom->isVisible());
        QCOMPARE(shrink()->value(), 120);
        QCOMPARE(text("lblShrink"), QStringLiteral("1.2"));
        QVERIFY(text("lblHelp").startsWith(QStringLiteral("OKをクリックした後でも")));
    }

    void keyboardOrder()
    {
        control<QRadioButton>("Option1_1")->click();  // every control enabled
        control<QWidget>("HScroll1")->setEnabled(true);
        const QStringList expected{u"Check1"_s,   u"Option1_0"_s, u"HScroll1"_s, u"Option1_1"_s,
                                   u"HScroll2"_s, u"cmdOk"_s,     u"cmdBack"_s,  u"cmdEnd"_s};
        QCOMPARE(tabOrder(control<QWidget>("Check1"), 8), expected);
    }
};

QTEST_MAIN(TestFrmZoom)
#include "test_frm_zoom.moc"
