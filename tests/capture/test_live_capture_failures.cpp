#include "capture/frmZoom.h"
#include "capture/mdlZoom.h"
#include "common/SelectionState.h"
#include "screen/PortalScreenGrabber.h"
#include "screen/StreamGrabber.h"
#include "support/FakeDialogs.h"
#include "support/PrivateBus.h"
#include "support/TryWait.h"

#include <QApplication>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A screen stream that either cannot start or, once started, ends by itself.
class BrokenStream final : public StreamGrabber
{
public:
    QString startProblem;
    int starts = 0;
    int stops = 0;
    int forgotten = 0;

    bool startStream(QString& problem) override
    {
        ++starts;
        problem = startProblem;
        return startProblem.isEmpty();
    }
    bool isStreaming() const override { return startProblem.isEmpty(); }
    void stopStream() override { ++stops; }
    void forgetSession() override { ++forgotten; }
    QImage newestFrame() const override { return {}; }
};

// The portal's request object: counts the requests the program drops.
class PortalRequests : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    int dropped = 0;

public slots:
    void Close() { ++dropped; }
};

// A screen-cast portal that takes every request and never answers one, as while its
// dialog waits for the user.
class SilentPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")

public:
    int asked = 0;
    PortalRequests requests;

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options)
    {
        ++asked;
        const QString sender =
            message().service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        connection().registerObject(path, &requests, QDBusConnection::ExportAllSlots);
        emit askedNow();
        return QDBusObjectPath(path);
    }

signals:
    void askedNow();
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

    void aStreamWithoutFramesIsToldAndTheDialogStaysUsable()
    {
        const int startsBefore = stream.starts;
        const int forgottenBefore = stream.forgotten;
        mdlZoom live(stream);
        QSignalSpy started(&live, &mdlZoom::loupeStarted);
        QSignalSpy taken(&live, &LiveCapture::captureTaken);
        frmZoom zoom(selection, dialogs, live);
        zoom.show();
        confirm(zoom);
        QCOMPARE(started.count(), 1);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("画面の映像が届かないため、取り込みを止めました。"
                                            "もう一度お試しください。")});
        // Once more with a session of its own before the message, and the next capture
        // begins a session of its own too.
        QCOMPARE(stream.starts - startsBefore, 2);
        QCOMPARE(stream.forgotten - forgottenBefore, 2);
        QCOMPARE(taken.count(), 0);
        QVERIFY(!anyLiveCaptureWindowShown());
        QVERIFY(zoom.isVisible());
        QVERIFY(zoom.findChild<QPushButton*>(QStringLiteral("cmdOk"))->isEnabled());
    }

    // The program ends while the desktop still asks the user (its dialog is open): the
    // live capture ends at once, and the portal is told to drop the request.
    void endingTheProgramWhileThePortalAsksEndsTheCapture()
    {
        testsupport::PrivateBus bus;
        QVERIFY(bus.isUp());
        QDBusConnection portalSide = bus.connect(QStringLiteral("portal"));
        SilentPortal portal;
        QVERIFY(portalSide.registerService(QStringLiteral("org.example.SilentPortal")));
        QVERIFY(portalSide.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                          &portal, QDBusConnection::ExportAllSlots));
        QTemporaryDir tokenFolder;
        PortalScreenGrabber grabber(tokenFolder.path(), bus.connect(QStringLiteral("program")),
                                    QStringLiteral("org.example.SilentPortal"));
        mdlZoom live(grabber);
        QSignalSpy started(&live, &mdlZoom::loupeStarted);
        frmZoom zoom(selection, dialogs, live);
        zoom.show();
        connect(&portal, &SilentPortal::askedNow, qApp, &QCoreApplication::quit,
                Qt::QueuedConnection);
        QTimer::singleShot(0, &zoom, [this, &zoom] { confirm(zoom); });
        // Returns once every loop the live capture runs has ended.
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(portal.asked, 1);
        TRY_COMPARE(portal.requests.dropped, 1);
        QCOMPARE(started.count(), 0);
        QVERIFY(!anyLiveCaptureWindowShown());
        QVERIFY(dialogs.messages.isEmpty());
        portalSide.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
    }
};

QTEST_MAIN(TestLiveCaptureFailures)
#include "test_live_capture_failures.moc"
