#include "capture/frmZoom.h"
#include "capture/mdlZoom.h"
#include "common/SelectionState.h"
#include "platform/StreamGrabber.h"
#include "support/FakeDialogs.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// A screen stream that either cannot start or, once started, ends by itself.
class BrokenStream final : public StreamGrabber
{
public:
    QString startProblem;
    int stops = 0;

    bool startStream(QString& problem) override
    {
        problem = startProblem;
        return startProblem.isEmpty();
    }
    void stopStream() override { ++stops; }
    QImage newestFrame() const override { return {}; }
};

bool anyLiveCaptureWindowShown()
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        const QString name = window->objectName();
        if (window->isVisible() && (name == u"frmLoupe" || name == u"frmPreview")) {
            return true;
        }
    }
    return false;
}

}  // namespace

// What the scale dialog does when the screen cannot be had: it says why (title
// "情報") and stays for another try; nothing is captured.
class TestLiveCaptureFailures : public QObject
{
    Q_OBJECT

private:
    SelectionState selection;
    FakeDialogs dialogs;
    BrokenStream stream;

    void confirm(frmZoom& zoom)
    {
        selection.phone.height = 96;
        selection.phone.width = 72;
        QTest::mouseClick(zoom.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
    }

private slots:
    void init()
    {
        selection = SelectionState{};
        dialogs.messages.clear();
        stream.startProblem.clear();
        stream.stops = 0;
    }

    void aStreamThatCannotStartIsToldAndTheDialogStays()
    {
        stream.startProblem =
            QStringLiteral("画面の共有が許可されなかったため、画面を取り込めません。");
        mdlZoom live(stream);
        QSignalSpy taken(&live, &LiveCapture::captureTaken);
        QSignalSpy started(&live, &mdlZoom::loupeStarted);
        frmZoom zoom(selection, dialogs, live);
        zoom.show();
        confirm(zoom);
        QCOMPARE(dialogs.messages, QStringList{stream.startProblem});
        QVERIFY(zoom.isVisible());
        QCOMPARE(started.count(), 0);
        QCOMPARE(taken.count(), 0);
        QVERIFY(!anyLiveCaptureWindowShown());
    }

    void aStreamThatEndsStopsTheCaptureWithItsMessage()
    {
        const QString ended = QStringLiteral("画面の共有が終了したため、取り込みを止めました。");
        mdlZoom live(stream);
        QSignalSpy taken(&live, &LiveCapture::captureTaken);
        connect(&live, &mdlZoom::loupeStarted, this, [this, ended] {
            QTimer::singleShot(0, &stream, [this, ended] { emit stream.streamEnded(ended); });
        });
        frmZoom zoom(selection, dialogs, live);
        zoom.show();
        confirm(zoom);
        QCOMPARE(dialogs.messages, QStringList{ended});
        QVERIFY(zoom.isVisible());
        QCOMPARE(taken.count(), 0);
        QVERIFY(!anyLiveCaptureWindowShown());
    }
};

QTEST_MAIN(TestLiveCaptureFailures)
#include "test_live_capture_failures.moc"
